// A scripted NetBIOS service that keeps a copy of every control block it was handed.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ncb.h"
#include "netbios_operation.h"

struct FakeNetbios {
    using Address = std::array<std::uint8_t, kAdapterAddressSize>;
    struct Call {
        NCB ncb;
        std::vector<std::uint8_t> bufferOnEntry;
    };

    std::vector<std::uint8_t> lanas;            // written by NCBENUM
    std::optional<std::uint8_t> countByte;      // overrides lanas.size() as the reported count
    std::uint8_t enumCode = 0;                  // a non-zero code writes nothing
    std::map<std::uint8_t, Address> addresses;  // a LANA missing here answers but writes nothing
    std::map<std::uint8_t, std::uint8_t> statusCodes;
    std::vector<Call> calls;
    int opened = 0;
    int stillOpen = 0;

    // Opens the service as the program does for each listing; counts opens and closes.
    NetbiosOperation Open() {
        ++opened;
        ++stillOpen;
        const std::shared_ptr<void> closer(nullptr, [this](void*) { --stillOpen; });
        return [this, closer](NCB& ncb) { return (*this)(ncb); };
    }

    std::uint8_t operator()(NCB& ncb) {
        calls.push_back(
            {ncb, {ncb.ncb_buffer, ncb.ncb_buffer + (ncb.ncb_buffer ? ncb.ncb_length : 0)}});
        switch (ncb.ncb_command) {
            case NCBENUM:
                if (enumCode == 0) {
                    ncb.ncb_buffer[0] = countByte.value_or(static_cast<std::uint8_t>(lanas.size()));
                    std::copy(lanas.begin(), lanas.end(), ncb.ncb_buffer + 1);
                }
                return enumCode;
            case NCBASTAT: {
                // A failed query writes nothing; one cut short by the buffer writes what fits.
                const auto found = statusCodes.find(ncb.ncb_lana_num);
                const std::uint8_t code = found == statusCodes.end() ? NRC_GOODRET : found->second;
                if (code != NRC_GOODRET && code != NRC_INCOMP) {
                    return code;
                }
                if (const auto address = addresses.find(ncb.ncb_lana_num);
                    address != addresses.end()) {
                    std::memcpy(ncb.ncb_buffer, address->second.data(), address->second.size());
                }
                return code;
            }
            default:
                return 0;
        }
    }
};
