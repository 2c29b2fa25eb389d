#include "format_adapter_address.h"

std::string FormatAdapterAddress(std::span<const std::uint8_t, kAdapterAddressSize> address) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * address.size());
    for (const std::uint8_t byte : address) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}
