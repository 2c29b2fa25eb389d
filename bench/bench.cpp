// Measures velnart from outside, the way a user meets it: how long until its window is
// up, how long "get mac adrs" takes to fill Text1, how big the program is and how much
// memory it holds. Run by bench/run, which scripts the fake netapi32.dll it relies on.
//   bench VELNART_EXE FLOOR_WINDOW_EXE
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

constexpr int kStartRuns = 15;
constexpr int kClicks = 30;
constexpr DWORD kTimeoutMs = 20000;
// Lets the window repaint after a reset, so the next click is not charged for it.
constexpr DWORD kSettleMs = 30;
constexpr wchar_t kScriptVariable[] = L"VELNART_FAKE_NETBIOS";

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
    Child(const std::wstring& program, const wchar_t* caption) {
        std::wstring commandLine = L"\"" + program + L"\"";
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

// From the posted click until Text1 holds the whole answer. Each poll is a sent message,
// which velnart takes as soon as its click handler returns to the message loop, so the
// polling adds one round trip rather than a sleep.
double ClickToText(const Child& velnart, const std::wstring& expected) {
    const HWND text1 = velnart.control(kText1Id);
    Send(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"reset"));
    Sleep(kSettleMs);
    const double start = NowMs();
    PostMessageW(velnart.control(kCommand1Id), BM_CLICK, 0, 0);
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

std::unique_ptr<Child> StartScripted(const std::wstring& program, const wchar_t* script) {
    SetEnvironmentVariableW(kScriptVariable, script);
    auto child = std::make_unique<Child>(program, L"velnart");
    SetEnvironmentVariableW(kScriptVariable, nullptr);
    return child;
}

// What velnart lists through Wine's own service here, whatever that is: the text
// after the first click, once it has replaced the placeholder.
std::wstring FirstListing(const Child& velnart) {
    const HWND text1 = velnart.control(kText1Id);
    Send(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"reset"));
    PostMessageW(velnart.control(kCommand1Id), BM_CLICK, 0, 0);
    const double start = NowMs();
    std::wstring text;
    while ((text = ForeignWindowText(text1)) == L"reset") {
        if (NowMs() - start > kTimeoutMs) {
            Fail("Wine's NetBIOS never answered");
        }
        Sleep(1);
    }
    // Read again: the first read may have caught the new text as it replaced the old.
    return ForeignWindowText(text1);
}

// What each listing pays for loading netapi32.dll afresh and freeing it again.
std::vector<double> LoadAndFreeNetapi() {
    std::vector<double> samples;
    for (int run = 0; run < kClicks; ++run) {
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

void Row(const char* figure, const std::string& measured, const std::string& detail = "",
         const char* target = "", const char* result = "") {
    char line[160];
    std::snprintf(line, sizeof line, "%-38s %11s  %-17s %-10s %s", figure, measured.c_str(),
                  detail.c_str(), target, result);
    std::string text = line;
    text.erase(text.find_last_not_of(' ') + 1);
    std::puts(text.c_str());
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

void Run(const std::wstring& velnartExe, const std::wstring& floorExe) {
    // Wine's services and the disk cache settle during the first starts; not counted.
    Child{velnartExe, L"velnart"};
    Child{floorExe, L"floor"};

    std::vector<double> velnartStarts, floorStarts;
    double floorPeakMiB = 0;
    for (int run = 0; run < kStartRuns; ++run) {
        velnartStarts.push_back(Child(velnartExe, L"velnart").startupMs());
        const Child floor(floorExe, L"floor");
        floorStarts.push_back(floor.startupMs());
        floorPeakMiB = floor.peakWorkingSetMiB();
    }

    // Both instances run at once and take turns, so drift in the machine's load
    // falls on both alike.
    const std::wstring oneText = L"\r\n001A2B3C4D5E";
    const std::wstring rangeText = RangeText(255);
    const auto one = StartScripted(velnartExe, L"lana=0:0:001A2B3C4D5E");
    const auto range = StartScripted(velnartExe, L"range=255");
    ClickToText(*one, oneText);
    ClickToText(*range, rangeText);
    std::vector<double> oneClicks, rangeClicks;
    for (int click = 0; click < kClicks; ++click) {
        oneClicks.push_back(ClickToText(*one, oneText));
        rangeClicks.push_back(ClickToText(*range, rangeText));
    }

    const Timing velnartStart = Summarise(velnartStarts);
    const Timing floorStart = Summarise(floorStarts);
    const Timing oneClick = Summarise(oneClicks);
    const Timing rangeClick = Summarise(rangeClicks);
    const double startRatio = velnartStart.median / floorStart.median;
    const double clickRatio = rangeClick.median / oneClick.median;
    const double sizeKiB = FileKiB(velnartExe);

    Row("figure", "median", "min..max", "target", "result");
    TimingRow("start-up velnart, 15 runs", velnartStart);
    TimingRow("start-up floor, 15 runs", floorStart);
    CheckedRow("start-up velnart/floor", Format("%.2f x", startRatio), "<= 1.10 x",
               startRatio <= 1.10);
    TimingRow("click-to-text 1 LANA, 30 clicks", oneClick);
    TimingRow("click-to-text 255 LANAs, 30 clicks", rangeClick);
    CheckedRow("click-to-text 255/1", Format("%.2f x", clickRatio), "<= 2.00 x", clickRatio <= 2.0);
    CheckedRow("velnart.exe size", Format("%.1f KiB", sizeKiB), "< 320 KiB", sizeKiB < 320.0);
    Row("peak working set after 255 LANAs", Format("%.1f MiB", range->peakWorkingSetMiB()),
        Format("floor %.1f MiB", floorPeakMiB), "none");
}

// Against Wine's own NetBIOS, which Wine gives the whole process tree or none of it.
void RunWithWineNetbios(const std::wstring& velnartExe) {
    const Child velnart(velnartExe, L"velnart");
    const std::wstring listed = FirstListing(velnart);
    std::vector<double> clicks;
    for (int click = 0; click < kClicks; ++click) {
        clicks.push_back(ClickToText(velnart, listed));
    }
    TimingRow("click-to-text Wine's NetBIOS, 30 clicks", Summarise(clicks));
    TimingRow("netapi32.dll load+free, 30 runs", Summarise(LoadAndFreeNetapi()));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool wineNetbios = argc == 3 && std::wcscmp(argv[1], L"--wine-netbios") == 0;
    if (argc != 3) {
        std::fputs("usage: bench VELNART_EXE FLOOR_WINDOW_EXE | --wine-netbios VELNART_EXE\n",
                   stderr);
        return 2;
    }
    try {
        if (wineNetbios) {
            RunWithWineNetbios(FullPath(argv[2]));
        } else {
            Run(FullPath(argv[1]), FullPath(argv[2]));
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }
}
