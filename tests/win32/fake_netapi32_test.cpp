// The end-to-end tests trust the scripted netapi32.dll to answer as scripted and
// to log what it was sent; this runs the real discovery code against it to prove both.
//   fake_netapi32_test SCRIPTED_DLL NOEXPORT_DLL
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "get_mac_address.h"

namespace {

using NetbiosEntry = UCHAR(WINAPI*)(NCB*);

struct Case {
    const wchar_t* script;
    AddressList addresses;
    std::vector<std::string> log;  // one Summarise() per call
};

// "command lana length flag", read at the offsets the end-to-end driver uses.
std::string Summarise(const std::string& line) {
    if (line.size() < 2 * sizeof(NCB) + 2 || line[2 * sizeof(NCB)] != ' ') {
        return line;
    }
    std::uint8_t bytes[sizeof(NCB)];
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        bytes[i] = static_cast<std::uint8_t>(std::stoul(line.substr(2 * i, 2), nullptr, 16));
    }
    char text[64];
    NCB ncb;
    std::memcpy(&ncb, bytes, sizeof ncb);
    std::snprintf(text, sizeof text, "%02X %02X %u %s", ncb.ncb_command, ncb.ncb_lana_num,
                  ncb.ncb_length, line.c_str() + 2 * sizeof(NCB) + 1);
    std::string summary = text;
    if (ncb.ncb_command == NCBASTAT && std::memcmp(ncb.ncb_callname, "*               ", 16) != 0) {
        summary += " (callname not *)";
    }
    return summary;
}

std::vector<std::string> ReadLog(const wchar_t* path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(Summarise(line));
    }
    return lines;
}

std::vector<Case> Cases() {
    const std::vector<std::string> bad = {"bad script"};
    std::vector<Case> cases = {
        {L"", {}, {"37 00 256 Z"}},
        {L"lana=3:0:0A1B2C3D4E5F;lana=7:0:001122334455",
         {"0A1B2C3D4E5F", "001122334455"},
         {"37 00 256 Z", "32 03 0 -", "33 03 600 Z", "32 07 0 -", "33 07 600 Z"}},
        // A failed query that still writes, then one that succeeds without writing.
        {L"lana=0:0:AABBCCDDEEFF;lana=1:5:112233445566;lana=2:0:-",
         {"AABBCCDDEEFF", "000000000000"},
         {"37 00 256 Z", "32 00 0 -", "33 00 600 Z", "32 01 0 -", "33 01 600 Z", "32 02 0 -",
          "33 02 600 Z"}},
        // The count claims a second LANA the list leaves at 0, which is not scripted.
        {L"count=2;reset=9;lana=4:0:0000000000a4",
         {"0000000000A4"},
         {"37 00 256 Z", "32 04 0 -", "33 04 600 Z", "32 00 0 -", "33 00 600 Z"}},
        {L"enum=3;lana=0:0:AABBCCDDEEFF", {}, {"37 00 256 Z"}},
        {L"lana=0:0:AABBCCDDEEF", {}, bad},
        {L"lana=0:0", {}, bad},
        {L"lana=0:0:-;", {}, bad},
        {L"enum=1;enum=2", {}, bad},
        {L"range=256", {}, bad},
        {L"range=255;lana=9:0:-", {}, bad},
        {L"range=200;range=1", {}, bad},
        {L"lanas=1:0:-", {}, bad},
        {L"count=-1", {}, bad},
        {L"reset= 1", {}, bad},
    };
    Case range{L"range=255", {}, {"37 00 256 Z"}};
    for (int lana = 0; lana < 255; ++lana) {
        char address[13];
        std::snprintf(address, sizeof address, "0200000000%02X", lana);
        range.addresses.push_back(address);
        for (const char* format : {"32 %02X 0 -", "33 %02X 600 Z"}) {
            char line[16];
            std::snprintf(line, sizeof line, format, lana);
            range.log.push_back(line);
        }
    }
    cases.push_back(range);
    return cases;
}

// Unless told otherwise (WINEDLLOVERRIDES=netapi32=n), Wine loads its own netapi32.dll
// in place of ours even from a full path, and still reports our path; only the
// exports tell them apart, and ours have nothing of the real library's.
HMODULE LoadFake(const char* path) {
    const HMODULE module = LoadLibraryA(path);
    if (!module || GetProcAddress(module, "NetApiBufferFree")) {
        std::fprintf(stderr, "FAIL: %s was not loaded from its own file\n", path);
        return nullptr;
    }
    return module;
}

int failures = 0;
int passes = 0;

void Check(bool ok, const wchar_t* what, const char* detail) {
    ok ? ++passes : ++failures;
    if (!ok) {
        std::printf("FAIL: [%ls] %s\n", what, detail);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fake_netapi32_test SCRIPTED_DLL NOEXPORT_DLL\n");
        return 2;
    }
    wchar_t directory[MAX_PATH];
    wchar_t logPath[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, directory) || !GetTempFileNameW(directory, L"vfn", 0, logPath)) {
        std::fprintf(stderr, "no temporary file\n");
        return 2;
    }
    SetEnvironmentVariableW(L"VELNART_FAKE_NETBIOS_LOG", logPath);

    const HMODULE scripted = LoadFake(argv[1]);
    const auto netbios = reinterpret_cast<NetbiosEntry>(
        reinterpret_cast<void*>(GetProcAddress(scripted, "Netbios")));
    if (!netbios) {
        return 2;
    }

    for (const Case& c : Cases()) {
        SetEnvironmentVariableW(L"VELNART_FAKE_NETBIOS", c.script);
        DeleteFileW(logPath);
        AddressList addresses;
        GetMacAddress(addresses, [&](NCB& ncb) { return netbios(&ncb); });
        Check(addresses == c.addresses, c.script, "addresses");
        const std::vector<std::string> log = ReadLog(logPath);
        const auto [got, wanted] =
            std::mismatch(log.begin(), log.end(), c.log.begin(), c.log.end());
        const std::string detail = "log has " + (got == log.end() ? "no more" : *got) + " where " +
                                   (wanted == c.log.end() ? "no more" : *wanted) + " was expected";
        Check(got == log.end() && wanted == c.log.end(), c.script, detail.c_str());
    }

    // Called directly: a list buffer one byte short is refused and left untouched.
    SetEnvironmentVariableW(L"VELNART_FAKE_NETBIOS", L"lana=0:0:-");
    DeleteFileW(logPath);
    std::uint8_t list[kLanaListSize];
    std::memset(list, 0xEE, sizeof list);
    NCB ncb{.ncb_command = NCBENUM, .ncb_buffer = list, .ncb_length = kLanaListSize - 1};
    const UCHAR code = netbios(&ncb);
    Check(code == 1 && ncb.ncb_retcode == 1 && list[0] == 0xEE && list[kLanaListSize - 1] == 0xEE,
          L"short list buffer", "answered or wrote");
    Check(ReadLog(logPath) == std::vector<std::string>{"37 00 255 NZ"}, L"short list buffer",
          "log");
    DeleteFileW(logPath);

    // Freed first, so that the loader cannot hand back the module of the same name.
    FreeLibrary(scripted);
    const HMODULE noexport = LoadFake(argv[2]);
    Check(noexport && !GetProcAddress(noexport, "Netbios"), L"no export",
          noexport ? "has Netbios" : "did not load");

    std::printf("%d passed, %d failed\n", passes, failures);
    return failures == 0 ? 0 : 1;
}
