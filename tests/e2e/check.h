// Minimal assertions for the Windows-side test programs: count, report, go on.
#pragma once

#include <cstdio>
#include <string>

struct CheckCounts {
    int passed = 0;
    int failed = 0;
};

inline CheckCounts& Counts() {
    static CheckCounts counts;
    return counts;
}

inline bool Check(bool ok, const char* what, int line, const std::string& detail = {}) {
    ++(ok ? Counts().passed : Counts().failed);
    if (!ok) {
        std::printf("FAIL line %d: %s %s\n", line, what, detail.c_str());
        std::fflush(stdout);
    }
    return ok;
}

#define CHECK(cond) Check((cond), #cond, __LINE__)
#define CHECK_EQ(actual, expected) \
    Check((actual) == (expected), #actual " == " #expected, __LINE__, Describe(actual))

inline std::string Describe(long long value) {
    return "(got " + std::to_string(value) + ")";
}
inline std::string Describe(const std::string& value) {
    return "(got \"" + value + "\")";
}
inline std::string Describe(const std::wstring& value) {
    std::string out = "(got \"";
    for (const wchar_t c : value) {
        if (c == L'\r') {
            out += "\\r";
        } else if (c == L'\n') {
            out += "\\n";
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += "\\u" + std::to_string(static_cast<unsigned>(c));
        }
    }
    return out + "\")";
}
