// What the scripted netapi32.dll answers, as a test spells it out in VELNART_FAKE_NETBIOS.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "ncb.h"

struct ScriptedLana {
    std::uint8_t number = 0;
    std::uint8_t statusCode = 0;
    std::optional<std::array<std::uint8_t, kAdapterAddressSize>> address;
};

struct NetbiosScript {
    std::uint8_t enumCode = 0;
    std::optional<std::uint8_t> countByte;
    std::uint8_t resetCode = 0;
    std::vector<ScriptedLana> lanas;
};

std::optional<NetbiosScript> ParseNetbiosScript(std::string_view text);
