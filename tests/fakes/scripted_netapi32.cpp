// A netapi32.dll whose Netbios answers as VELNART_FAKE_NETBIOS scripts it and, when
// VELNART_FAKE_NETBIOS_LOG names a file, records every control block it was handed.
// The variables are read at every call so that one process can be re-scripted.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "append_to_file.h"
#include "ncb.h"
#include "netbios_script.h"

namespace {

// The service's own return codes, plus one no real service uses.
constexpr UCHAR kIllegalBufferLength = 0x01;
constexpr UCHAR kIllegalCommand = 0x03;
constexpr UCHAR kInvalidLana = 0x23;
constexpr UCHAR kBadScript = 0xFF;

std::wstring ReadVariable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

// Read at every call, so that one process can be scripted anew, but parsed only when the
// text changes: the fake must cost next to nothing, or it would weigh in the benchmark.
const std::optional<NetbiosScript>& ReadScript() {
    static std::wstring lastText = L"\x1";  // never a real script, so the first read parses
    static std::optional<NetbiosScript> script;
    const std::wstring wide = ReadVariable(L"VELNART_FAKE_NETBIOS");
    if (wide == lastText) {
        return script;
    }
    lastText = wide;
    std::string text;
    for (const wchar_t c : wide) {
        if (c > 0x7F) {
            return script = std::nullopt;
        }
        text += static_cast<char>(c);
    }
    return script = ParseNetbiosScript(text);
}

// Taken before the call is answered, so the log shows what the caller sent.
std::string DescribeCall(const NCB& ncb) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    unsigned char bytes[sizeof(NCB)];
    std::memcpy(bytes, &ncb, sizeof bytes);
    std::string line;
    for (const unsigned char byte : bytes) {
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
    }
    if (!ncb.ncb_buffer) {
        return line + " -\n";
    }
    const bool zero = std::all_of(ncb.ncb_buffer, ncb.ncb_buffer + ncb.ncb_length,
                                  [](std::uint8_t byte) { return byte == 0; });
    return line + (zero ? " Z\n" : " NZ\n");
}

UCHAR Answer(const NetbiosScript& script, NCB& ncb) {
    switch (ncb.ncb_command) {
        case NCBENUM:
            if (!ncb.ncb_buffer || ncb.ncb_length < kLanaListSize) {
                return kIllegalBufferLength;
            }
            if (script.enumCode == 0) {
                ncb.ncb_buffer[0] =
                    script.countByte.value_or(static_cast<std::uint8_t>(script.lanas.size()));
                for (std::size_t i = 0; i < script.lanas.size(); ++i) {
                    ncb.ncb_buffer[1 + i] = script.lanas[i].number;
                }
            }
            return script.enumCode;
        case NCBRESET:
            return script.resetCode;
        case NCBASTAT: {
            // The first item for a LANA answers for it; repeats only repeat it in the list.
            const auto lana =
                std::find_if(script.lanas.begin(), script.lanas.end(),
                             [&](const ScriptedLana& l) { return l.number == ncb.ncb_lana_num; });
            if (lana == script.lanas.end()) {
                return kInvalidLana;
            }
            if (!ncb.ncb_buffer || ncb.ncb_length < kAdapterAddressSize) {
                return kIllegalBufferLength;
            }
            if (lana->address) {
                std::copy(lana->address->begin(), lana->address->end(), ncb.ncb_buffer);
            }
            return lana->statusCode;
        }
        default:
            return kIllegalCommand;
    }
}

}  // namespace

// Nothing may unwind into a caller that expects a plain C function.
extern "C" __declspec(dllexport) UCHAR WINAPI Netbios(NCB* ncb) {
    if (!ncb) {
        return kIllegalCommand;
    }
    try {
        const std::optional<NetbiosScript>& script = ReadScript();
        if (const std::wstring log = ReadVariable(L"VELNART_FAKE_NETBIOS_LOG"); !log.empty()) {
            AppendToFile(log.c_str(), script ? DescribeCall(*ncb) : "bad script\n");
        }
        const UCHAR code = script ? Answer(*script, *ncb) : kBadScript;
        ncb->ncb_retcode = code;
        ncb->ncb_cmd_cplt = code;
        return code;
    } catch (...) {
        return kBadScript;
    }
}
