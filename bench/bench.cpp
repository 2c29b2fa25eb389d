// Measures velnart from outside, the way a user meets it: how long until its window is
// up, how long "get mac adrs" takes to fill Text1, each against a minimal program doing
// the same (floor_window), how big the program is and how much memory it holds. Run by
// bench/run, which scripts the fake netapi32.dll it relies on and runs the benchmark
// again, without that DLL, for the click with Wine's own service.
//   bench [--wine-service] VELNART_EXE FLOOR_WINDOW_EXE
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "control_ids.h"
#include "foreign_window_text.h"
#include "handles.h"
#include "system_library.h"

namespace {

constexpr int kStartPairs = 21;
constexpr int kClickPairs = 21;
constexpr DWORD kTimeoutMs = 20000;
// Lets the window repaint after a reset, so the next click is not charged for it.
constexpr DWORD kSettleMs = 30;
constexpr wchar_t kScriptVariable[] = L"VELNART_FAKE_NETBIOS";
// The benchmark is built with the programs it measures, 32-bit or 64-bit, and each build
// holds to its own size budget.
constexpr bool k64Bit = sizeof(void*) == 8;
constexpr const char* kBuild = k64Bit ? "win64" : "win32";
constexpr double kSizeBudgetKiB = k64Bit ? 64.0 : 84.0;

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

[[noreturn]] void FailWithLastError(const std::string& what) {
    Fail(what + " (error " + std::to_string(GetLastError()) + ")");
}

struct WindowSearch {
    DWORD processId;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t caption[64];
    if (owner == search.processId && IsWindowVisible(window) &&
        GetWindowTextW(window, caption, 64) > 0 && wcscmp(caption, search.caption) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// A program started and shown. Closing waits for the exit: Wine takes about two seconds
// to end a windowed process, which costs the benchmark a minute but keeps that teardown
// out of the next start being timed.
class Child {
  public:
    Child(const std::wstring& program, const wchar_t* caption, const wchar_t* arguments = L"") {
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        const double start = NowMs();
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &started)) {
            FailWithLastError("cannot start " + Narrow(program));
        }
        process_.reset(started.hProcess);
        UniqueKernelHandle thread(started.hThread);
        if (WaitForInputIdle(process_.get(), kTimeoutMs) != 0) {
            Fail(Narrow(program) + " never became idle");
        }
        WindowSearch search{started.dwProcessId, caption, nullptr};
        while (EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search)), !search.found) {
            if (NowMs() - start > kTimeoutMs) {
                Fail(Narrow(program) + " never showed its window");
            }
            Sleep(0);
        }
        startupMs_ = NowMs() - start;
        window_ = search.found;
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
    }

    double startupMs() const { return startupMs_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    double peakWorkingSetMiB() const {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(process_.get(), &counters, sizeof counters)) {
            FailWithLastError("cannot read the working set");
        }
        return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    }

  private:
    static std::string Narrow(const std::wstring& text) { return {text.begin(), text.end()}; }

    UniqueKernelHandle process_;
    HWND window_ = nullptr;
    double startupMs_ = 0;
};

struct Timing {
    double median, min, max;
};

Timing Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    const double median =
        samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    return {median, samples.front(), samples.back()};
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &result)) {
        FailWithLastError("velnart does not answer");
    }
    return static_cast<LRESULT>(result);
}

constexpr wchar_t kResetText[] = L"reset";

HWND ResetText1(const Child& program) {
    const HWND text1 = program.control(kText1Id);
    Send(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kResetText));
    Sleep(kSettleMs);
    return text1;
}

// From the posted click until Text1 holds the whole answer. Each poll is a sent message,
// which the program takes as soon as its click handler returns to the message loop, so
// the polling adds one round trip rather than a sleep.
double ClickToText(const Child& program, const std::wstring& expected) {
    const HWND text1 = ResetText1(program);
    const double start = NowMs();
    PostMessageW(program.control(kCommand1Id), BM_CLICK, 0, 0);
    while (static_cast<std::size_t>(Send(text1, WM_GETTEXTLENGTH, 0, 0)) != expected.size()) {
        if (NowMs() - start > kTimeoutMs) {
            Fail("Text1 never reached the expected length");
        }
    }
    const double elapsed = NowMs() - start;
    if (const std::wstring got = ForeignWindowText(text1); got != expected) {
        Fail("Text1 holds " + std::string(got.begin(), got.end()) + " rather than " +
             std::string(expected.begin(), expected.end()));
    }
    return elapsed;
}

// The first answer of a service whose adapters are not known beforehand.
std::wstring FirstAnswer(const Child& program) {
    const HWND text1 = ResetText1(program);
    const double start = NowMs();
    PostMessageW(program.control(kCommand1Id), BM_CLICK, 0, 0);
    std::wstring text;
    while ((text = ForeignWindowText(text1)) == kResetText) {
        if (NowMs() - start > kTimeoutMs) {
            Fail("Text1 never changed after a click");
        }
    }
    // Read again: the length and the text are two messages, and the click may have
    // written its answer between them, leaving a read cut to the old text's length.
    return ForeignWindowText(text1);
}

// The fake's range=N answers LANA n with 02 00 00 00 00 n.
std::wstring RangeText(int lanas) {
    std::wstring text;
    for (int n = 0; n < lanas; ++n) {
        wchar_t line[16];
        swprintf(line, 16, L"\r\n0200000000%02X", n);
        text += line;
    }
    return text;
}

// Where a program's NetBIOS service comes from: a script for the fake netapi32.dll, or
// none for Wine's own, which a child loads only when Wine was not told to prefer the fake
// as the benchmark started (Wine takes that from its own environment, not the child's).
struct Service {
    const char* name;
    const wchar_t* script;
};

std::unique_ptr<Child> StartWith(const Service& service, const std::wstring& program,
                                 const wchar_t* caption, const wchar_t* arguments) {
    SetEnvironmentVariableW(kScriptVariable, service.script);
    auto child = std::make_unique<Child>(program, caption, arguments);
    SetEnvironmentVariableW(kScriptVariable, nullptr);
    return child;
}

// What each listing pays for loading netapi32.dll afresh and freeing it again.
std::vector<double> LoadAndFreeNetapi() {
    std::vector<double> samples;
    for (int run = 0; run < 2 * kClickPairs; ++run) {
        const double start = NowMs();
        {
            const UniqueModule netapi = LoadSystemLibrary(L"netapi32.dll");
            if (!GetProcAddress(netapi.get(), "Netbios")) {
                FailWithLastError("Wine's netapi32.dll has no Netbios");
            }
        }
        samples.push_back(NowMs() - start);
    }
    return samples;
}

double FileKiB(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        FailWithLastError("cannot read the size of velnart.exe");
    }
    return static_cast<double>(data.nFileSizeLow) / 1024.0;
}

std::string Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void PrintRow(const char* build, const char* figure, const char* measured, const char* detail,
              const char* target, const char* result) {
    char line[160];
    std::snprintf(line, sizeof line, "%-6s %-38s %11s  %-17s %-10s %s", build, figure, measured,
                  detail, target, result);
    std::string text = line;
    text.erase(text.find_last_not_of(' ') + 1);
    std::puts(text.c_str());
}

void Row(const char* figure, const std::string& measured, const std::string& detail = "",
         const char* target = "", const char* result = "") {
    PrintRow(kBuild, figure, measured.c_str(), detail.c_str(), target, result);
}

void TimingRow(const char* figure, const Timing& timing) {
    Row(figure, Format("%.2f ms", timing.median),
        Format("%.2f", timing.min) + ".." + Format("%.2f", timing.max));
}

void CheckedRow(const char* figure, const std::string& measured, const char* target, bool pass) {
    Row(figure, measured, "", target, pass ? "PASS" : "MISS");
}

// bench/run passes Unix paths; on drive Z: they resolve to the same files.
std::wstring FullPath(const wchar_t* path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        FailWithLastError("cannot resolve a program path");
    }
    return full;
}

// Each pair is velnart and the floor one after the other, the order alternating, so
// that drift in the machine's load falls on both alike; the figure is the median of the
// pairs' ratios.
struct Pairs {
    std::vector<double> velnart, floor, ratios;
    double velnartPeakMiB = 0;

    void Add(double velnartMs, double floorMs) {
        velnart.push_back(velnartMs);
        floor.push_back(floorMs);
        ratios.push_back(velnartMs / floorMs);
    }
};

void PairRows(const std::string& what, const Pairs& pairs, double target) {
    const std::string count = std::to_string(pairs.ratios.size()) + " pairs";
    TimingRow((what + " velnart, " + count).c_str(), Summarise(pairs.velnart));
    TimingRow((what + " floor, " + count).c_str(), Summarise(pairs.floor));
    const Timing ratio = Summarise(pairs.ratios);
    const std::string targetText = Format("<= %.2f x", target);
    Row((what + " velnart/floor").c_str(), Format("%.2f x", ratio.median),
        Format("%.2f", ratio.min) + ".." + Format("%.2f", ratio.max), targetText.c_str(),
        ratio.median <= target ? "PASS" : "MISS");
}

Pairs ClickPairs(const Service& service, const std::wstring& velnartExe,
                 const std::wstring& floorExe, std::wstring expected) {
    const auto velnart = StartWith(service, velnartExe, L"velnart", L"");
    const auto floor = StartWith(service, floorExe, L"floor", L"--click");
    // The first click fills Wine's caches in both; not counted.
    if (expected.empty()) {
        // Empty, it would also be what the fake answers unscripted, had it been loaded.
        if ((expected = FirstAnswer(*velnart)).empty()) {
            Fail(std::string(service.name) + " listed no adapter");
        }
    } else {
        ClickToText(*velnart, expected);
    }
    ClickToText(*floor, expected);
    Pairs pairs;
    for (int pair = 0; pair < kClickPairs; ++pair) {
        if (pair % 2) {
            const double floorMs = ClickToText(*floor, expected);
            pairs.Add(ClickToText(*velnart, expected), floorMs);
        } else {
            const double velnartMs = ClickToText(*velnart, expected);
            pairs.Add(velnartMs, ClickToText(*floor, expected));
        }
    }
    pairs.velnartPeakMiB = velnart->peakWorkingSetMiB();
    return pairs;
}

void RunWineService(const std::wstring& velnartExe, const std::wstring& floorExe) {
    const Service wine{"Wine's service", nullptr};
    PairRows(std::string("click ") + wine.name, ClickPairs(wine, velnartExe, floorExe, L""), 1.10);
    // Part of every click above, since each listing loads the library afresh.
    TimingRow("netapi32.dll load+free, 30 runs", Summarise(LoadAndFreeNetapi()));
}

void Run(const std::wstring& velnartExe, const std::wstring& floorExe) {
    // Wine's services and the disk cache settle during the first starts; not counted.
    Child{velnartExe, L"velnart"};
    Child{floorExe, L"floor"};

    Pairs starts;
    double floorPeakMiB = 0;
    for (int pair = 0; pair < kStartPairs; ++pair) {
        const auto startFloor = [&] {
            const Child floor(floorExe, L"floor");
            floorPeakMiB = floor.peakWorkingSetMiB();
            return floor.startupMs();
        };
        if (pair % 2) {
            const double floorMs = startFloor();
            starts.Add(Child(velnartExe, L"velnart").startupMs(), floorMs);
        } else {
            const double velnartMs = Child(velnartExe, L"velnart").startupMs();
            starts.Add(velnartMs, startFloor());
        }
    }

    const Service one{"1 LANA", L"lana=0:0:001A2B3C4D5E"};
    const Service range{"255 LANAs", L"range=255"};
    const Pairs oneClicks = ClickPairs(one, velnartExe, floorExe, L"\r\n001A2B3C4D5E");
    const Pairs rangeClicks = ClickPairs(range, velnartExe, floorExe, RangeText(255));

    const double sizeKiB = FileKiB(velnartExe);
    const double scaling =
        Summarise(rangeClicks.velnart).median / Summarise(oneClicks.velnart).median;

    PrintRow("build", "figure", "median", "min..max", "target", "result");
    PairRows("start-up", starts, 1.05);
    PairRows(std::string("click ") + one.name, oneClicks, 1.05);
    PairRows(std::string("click ") + range.name, rangeClicks, 1.05);
    // What a list 255 times longer costs; the floors above say whether that is velnart's.
    Row("click velnart 255/1 LANAs", Format("%.2f x", scaling), "", "none");
    const std::string budget = Format("<= %.0f KiB", kSizeBudgetKiB);
    CheckedRow("velnart.exe size", Format("%.1f KiB", sizeKiB), budget.c_str(),
               sizeKiB <= kSizeBudgetKiB);
    Row("peak working set after 255 LANAs", Format("%.1f MiB", rangeClicks.velnartPeakMiB),
        Format("floor %.1f MiB", floorPeakMiB), "none");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool wineService = argc == 4 && wcscmp(argv[1], L"--wine-service") == 0;
    if (argc != 3 && !wineService) {
        std::fputs("usage: bench [--wine-service] VELNART_EXE FLOOR_WINDOW_EXE\n", stderr);
        return 2;
    }
    try {
        const std::wstring velnartExe = FullPath(argv[argc - 2]);
        const std::wstring floorExe = FullPath(argv[argc - 1]);
        (wineService ? RunWineService : Run)(velnartExe, floorExe);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }
}
