#include "get_mac_address.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "format_adapter_address.h"

namespace {

// memset rather than value-initialisation: padding bytes must be zero too,
// since the service sees the whole block.
void Clear(NCB& ncb) {
    std::memset(&ncb, 0, sizeof ncb);
}

std::uint8_t Enumerate(const NetbiosOperation& netbios,
                       std::array<std::uint8_t, kLanaListSize>& lanaList) {
    NCB ncb;
    Clear(ncb);
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = lanaList.data();
    ncb.ncb_length = static_cast<std::uint16_t>(lanaList.size());
    netbios(ncb);  // a failed enumeration leaves the count at zero
    return lanaList[0];
}

void Reset(const NetbiosOperation& netbios, std::uint8_t lana) {
    NCB ncb;
    Clear(ncb);
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = lana;
    netbios(ncb);  // a failed reset shows up as a failed status query
}

bool QueryStatus(const NetbiosOperation& netbios, std::uint8_t lana,
                 std::array<std::uint8_t, kAdapterStatusSize>& status) {
    NCB ncb;
    Clear(ncb);
    // Cleared every time: a query that succeeds without writing must not
    // report the previous adapter's address.
    status.fill(0);
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = lana;
    ncb.ncb_buffer = status.data();
    ncb.ncb_length = static_cast<std::uint16_t>(status.size());
    ncb.ncb_callname[0] = '*';
    std::memset(ncb.ncb_callname + 1, ' ', sizeof ncb.ncb_callname - 1);
    return HasAdapterAddress(netbios(ncb));
}

}  // namespace

void GetMacAddress(AddressList& colMacAddress, const NetbiosOperation& netbios) {
    std::array<std::uint8_t, kLanaListSize> lanaList{};
    std::array<std::uint8_t, kAdapterStatusSize> status{};

    // The count is one byte, so even a wrong one cannot index past the list.
    static_assert(kLanaListSize - 1 >= UINT8_MAX);
    const std::size_t count = Enumerate(netbios, lanaList);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t lana = lanaList[1 + i];
        Reset(netbios, lana);
        if (QueryStatus(netbios, lana, status)) {
            colMacAddress.push_back(
                FormatAdapterAddress(std::span(status).first<kAdapterAddressSize>()));
        }
    }
}
