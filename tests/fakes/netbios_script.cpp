#include "netbios_script.h"

#include <charconv>
#include <set>

namespace {

using Address = std::array<std::uint8_t, kAdapterAddressSize>;

std::optional<std::uint8_t> ParseNumber(std::string_view text, int base = 10) {
    unsigned value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (error != std::errc{} || stop != end || value > UINT8_MAX) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

// "-" is a query that answers without writing: written stays distinct from unwritten.
std::optional<std::optional<Address>> ParseAddress(std::string_view text) {
    if (text == "-") {
        return std::optional<Address>();
    }
    if (text.size() != 2 * kAdapterAddressSize) {
        return std::nullopt;
    }
    Address address{};
    for (std::size_t i = 0; i < address.size(); ++i) {
        const auto byte = ParseNumber(text.substr(2 * i, 2), 16);
        if (!byte) {
            return std::nullopt;
        }
        address[i] = *byte;
    }
    return address;
}

// N:C:ADDR
std::optional<ScriptedLana> ParseLana(std::string_view text) {
    const std::size_t first = text.find(':');
    const std::size_t second = text.find(':', first == text.npos ? first : first + 1);
    if (second == text.npos) {
        return std::nullopt;
    }
    const auto number = ParseNumber(text.substr(0, first));
    const auto code = ParseNumber(text.substr(first + 1, second - first - 1));
    const auto address = ParseAddress(text.substr(second + 1));
    if (!number || !code || !address) {
        return std::nullopt;
    }
    return ScriptedLana{*number, *code, *address};
}

bool ParseItem(std::string_view key, std::string_view value, NetbiosScript& script) {
    if (key == "lana") {
        const auto lana = ParseLana(value);
        if (lana) {
            script.lanas.push_back(*lana);
        }
        return lana.has_value();
    }
    const auto number = ParseNumber(value);
    if (!number) {
        return false;
    }
    if (key == "enum") {
        script.enumCode = *number;
    } else if (key == "count") {
        script.countByte = *number;
    } else if (key == "reset") {
        script.resetCode = *number;
    } else if (key == "range") {
        // LANA n answers 02000000 00nn: locally administered, and never all zero,
        // so even LANA 0 is told apart from a status buffer left unwritten.
        for (unsigned n = 0; n < *number; ++n) {
            const auto lana = static_cast<std::uint8_t>(n);
            script.lanas.push_back({lana, 0, Address{0x02, 0, 0, 0, 0, lana}});
        }
    } else {
        return false;
    }
    return true;
}

}  // namespace

// A typo must fail the test loudly, so anything unexpected rejects the whole
// script: unknown keys, empty items, a key given twice (lana aside), and more
// LANAs than the one-byte count can report.
std::optional<NetbiosScript> ParseNetbiosScript(std::string_view text) {
    NetbiosScript script;
    std::set<std::string_view> seen;
    while (!text.empty()) {
        const std::size_t end = text.find(';');
        const std::string_view item = text.substr(0, end);
        text = end == text.npos ? std::string_view() : text.substr(end + 1);
        if (end != std::string_view::npos && text.empty()) {
            return std::nullopt;  // a trailing ';'
        }

        const std::size_t equals = item.find('=');
        if (equals == item.npos) {
            return std::nullopt;
        }
        const std::string_view key = item.substr(0, equals);
        if ((key != "lana" && !seen.insert(key).second) ||
            !ParseItem(key, item.substr(equals + 1), script)) {
            return std::nullopt;
        }
    }
    if (script.lanas.size() > UINT8_MAX) {
        return std::nullopt;
    }
    return script;
}
