#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ncb.h"

// Twelve upper-case hex digits, two per byte, byte 0 first.
std::string FormatAdapterAddress(std::span<const std::uint8_t, kAdapterAddressSize> address);
