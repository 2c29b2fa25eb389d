// Drives velnart.exe from outside, as a user and the system see it, with a scripted
// netapi32.dll in the prefix's system directory.
//   e2e_driver GROUP VELNART_EXE SCRIPTED_DLL NOEXPORT_DLL VIEWER_STUB_EXE GRABBER_EXE
#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "check.h"
#include "control_ids.h"
#include "handles.h"
#include "ncb.h"
#include "system_dpi.h"
#include "velnart_process.h"
#include "win32_error.h"
#include "window_fonts.h"

namespace {

struct Paths {
    std::wstring velnart, scriptedDll, noexportDll, viewerStub, grabber;
};

std::wstring SystemFile(const wchar_t* name) {
    wchar_t directory[MAX_PATH];
    GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory) + L'\\' + name;
}

bool InstallNetapi(const std::wstring& dll) {
    return CopyFileW(dll.c_str(), SystemFile(L"netapi32.dll").c_str(), FALSE) != 0;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

// A text file's lines without their line ends; none if it does not exist.
std::vector<std::string> ReadLines(const std::wstring& path) {
    std::vector<std::string> lines;
    if (FILE* file = _wfopen(path.c_str(), L"r")) {
        char line[512];
        while (std::fgets(line, sizeof line, file)) {
            lines.emplace_back(line, std::strcspn(line, "\r\n"));
        }
        std::fclose(file);
    }
    return lines;
}

int Twips(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

RECT ClientRectOf(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectOneBox(const VelnartProcess& velnart, const std::wstring& text) {
    const std::vector<MessageBoxInfo> boxes = velnart.TakeMessageBoxes();
    if (!CHECK_EQ(static_cast<long long>(boxes.size()), 1LL)) {
        return;
    }
    CHECK_EQ(boxes[0].caption, std::wstring(L"velnart"));
    CHECK_EQ(boxes[0].text, text);
    CHECK(!boxes[0].hasIcon);
    CHECK_EQ(static_cast<long long>(boxes[0].buttons), 1LL);
    CHECK(boxes[0].owner == velnart.form());
    CHECK(velnart.running());
}

bool ClickAndWaitForText(const VelnartProcess& velnart, const std::wstring& expected) {
    velnart.SetText(kText1Id, L"placeholder");
    velnart.Click(kCommand1Id);
    WaitUntil([&] { return velnart.Text(kText1Id) == expected; });
    return CHECK_EQ(velnart.Text(kText1Id), expected);
}

// ---------------------------------------------------------------------------------------

// The client area and every control where the twips table puts them at this density.
void CheckLayout(const VelnartProcess& velnart, int dpi) {
    HWND form = velnart.form();
    // The client area as Windows frames a window at this density. Wine 8 keeps the frame
    // at the system's density whatever the window's, so its own client rectangle would
    // agree only there.
    RECT window;
    GetWindowRect(form, &window);
    RECT frame{};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(form, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongW(form, GWL_EXSTYLE)),
                             static_cast<UINT>(dpi));
    CHECK_EQ(window.right - window.left - (frame.right - frame.left), Twips(3630, dpi));
    CHECK_EQ(window.bottom - window.top - (frame.bottom - frame.top), Twips(2625, dpi));

    struct Control {
        int id;
        const wchar_t* className;
        const wchar_t* caption;
        int left, top, width, height;
    };
    // In tab order.
    const Control controls[] = {
        {kCommand1Id, L"Button", L"&get mac adrs", 0, 1680, 1200, 900},
        {kCommand2Id, L"Button", L"cpy &all", 1200, 1680, 1200, 300},
        {kCommand4Id, L"Button", L"cpy &selected", 1200, 1980, 1200, 300},
        {kCommand5Id, L"Button", L"&clipboard", 1200, 2280, 1200, 300},
        {kCommand3Id, L"Button", L"&end", 2400, 1680, 1200, 900},
        {kText1Id, L"Edit", nullptr, 0, 0, 3600, 1635},
    };
    HWND child = GetWindow(form, GW_CHILD);
    for (const Control& control : controls) {
        if (!CHECK(child != nullptr)) {
            break;
        }
        CHECK_EQ(static_cast<long long>(GetDlgCtrlID(child)), static_cast<long long>(control.id));
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        CHECK_EQ(std::wstring(className), std::wstring(control.className));
        if (control.caption) {
            CHECK_EQ(velnart.Text(control.id), std::wstring(control.caption));
        }
        const RECT rect = ClientRectOf(form, child);
        CHECK_EQ(rect.left, Twips(control.left, dpi));
        CHECK_EQ(rect.top, Twips(control.top, dpi));
        CHECK_EQ(rect.right - rect.left, Twips(control.width, dpi));
        CHECK_EQ(rect.bottom - rect.top, Twips(control.height, dpi));
        CHECK(GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    CHECK(child == nullptr);  // no controls besides these six
}

// The text of a string the accessibility interfaces hand over, which is then freed.
std::wstring Take(BSTR text) {
    std::wstring taken = text ? std::wstring(text, SysStringLen(text)) : L"(none)";
    SysFreeString(text);
    return taken;
}

// What a screen reader reads of each control, asking as one does: its name, its role and
// the shortcut it announces, and Text1's text as its value.
void CheckAccessibility(const VelnartProcess& velnart) {
    struct Expected {
        int id;
        const wchar_t* name;
        LONG role;
        const wchar_t* shortcut;
    };
    const Expected controls[] = {
        {kCommand1Id, L"get mac adrs", ROLE_SYSTEM_PUSHBUTTON, L"Alt+g"},
        {kCommand2Id, L"cpy all", ROLE_SYSTEM_PUSHBUTTON, L"Alt+a"},
        {kCommand4Id, L"cpy selected", ROLE_SYSTEM_PUSHBUTTON, L"Alt+s"},
        {kCommand5Id, L"clipboard", ROLE_SYSTEM_PUSHBUTTON, L"Alt+c"},
        {kCommand3Id, L"end", ROLE_SYSTEM_PUSHBUTTON, L"Alt+e"},
        {kText1Id, L"MAC addresses", ROLE_SYSTEM_TEXT, nullptr},
    };
    const std::wstring listed = L"\r\n001A2B3C4D5E";
    velnart.SetText(kText1Id, listed);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    for (const Expected& control : controls) {
        IAccessible* object = nullptr;
        if (!CHECK(SUCCEEDED(AccessibleObjectFromWindow(
                velnart.control(control.id), static_cast<DWORD>(OBJID_CLIENT),
                __uuidof(IAccessible), reinterpret_cast<void**>(&object))))) {
            continue;
        }
        BSTR name = nullptr;
        BSTR shortcut = nullptr;
        BSTR value = nullptr;
        VARIANT role{};
        object->get_accName(self, &name);
        object->get_accRole(self, &role);
        object->get_accKeyboardShortcut(self, &shortcut);
        object->get_accValue(self, &value);
        object->Release();
        const std::wstring read[] = {Take(name), Take(shortcut), Take(value)};
        const LONG readRole = role.vt == VT_I4 ? role.lVal : -1;
        std::printf("accessible %d: name \"%ls\", role %ld, shortcut \"%ls\", value \"%ls\"\n",
                    control.id, read[0].c_str(), readRole, read[1].c_str(),
                    read[2] == listed ? L"<the list>" : read[2].c_str());
        CHECK_EQ(read[0], std::wstring(control.name));
        // Wine's oleacc has no object of its own for buttons and calls them client areas.
        CHECK(readRole == control.role ||
              (control.role == ROLE_SYSTEM_PUSHBUTTON && readRole == ROLE_SYSTEM_CLIENT));
        CHECK_EQ(read[1], std::wstring(control.shortcut ? control.shortcut : L"(none)"));
        if (control.id == kText1Id) {
            CHECK_EQ(read[2], listed);
        }
    }
    velnart.SetText(kText1Id, L"");
}

void TestWindow(const Paths& paths) {
    VelnartProcess velnart(paths.velnart, L"");
    HWND form = velnart.form();
    if (!CHECK(form != nullptr)) {
        return;
    }
    const int dpi = SystemDpi();
    wchar_t expectedDpi[8] = {};
    if (GetEnvironmentVariableW(L"VELNART_EXPECT_DPI", expectedDpi, 8)) {
        CHECK_EQ(dpi, _wtoi(expectedDpi));  // the prefix really runs at that DPI
    }
    CheckLayout(velnart, dpi);
    CHECK_EQ(velnart.Text(kText1Id), std::wstring());
    CheckAccessibility(velnart);

    wchar_t caption[64] = {};
    GetWindowTextW(form, caption, 64);
    CHECK_EQ(std::wstring(caption), std::wstring(L"velnart"));
    const LONG style = GetWindowLongW(form, GWL_STYLE);
    CHECK((style & WS_CAPTION) == WS_CAPTION);
    CHECK(!(style & WS_THICKFRAME));  // fixed frame: not resizable
    CHECK(!(style & WS_MAXIMIZEBOX));
    CHECK(GetMenu(form) == nullptr);

    // Centred on the screen to the pixel; a window that does not fit the work area
    // keeps its caption inside it.
    RECT frame;
    GetWindowRect(form, &frame);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    std::printf(
        "%d dpi: frame %dx%d at (%ld, %ld) on a %dx%d screen, work area (%ld, %ld)-(%ld, %ld)\n",
        dpi, width, height, frame.left, frame.top, screenWidth, screenHeight, work.left, work.top,
        work.right, work.bottom);
    CHECK_EQ(frame.left, width <= work.right - work.left ? (screenWidth - width) / 2 : work.left);
    CHECK_EQ(frame.top, height <= work.bottom - work.top ? (screenHeight - height) / 2 : work.top);

    const LONG textStyle = GetWindowLongW(velnart.control(kText1Id), GWL_STYLE);
    CHECK(textStyle & ES_MULTILINE);
    CHECK(textStyle & WS_VSCROLL);
    CHECK(GetWindowLongW(velnart.control(kCommand1Id), GWL_STYLE) & BS_DEFPUSHBUTTON);
    CHECK_EQ(static_cast<long long>(SendMessageW(form, DM_GETDEFID, 0, 0)),
             static_cast<long long>(MAKELONG(kCommand1Id, DC_HASDEFID)));
    CHECK(velnart.Focus() == velnart.control(kCommand1Id));
}

void TestListing(const Paths& paths) {
    struct Case {
        const wchar_t* script;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"lana=0:0:001A2B3C4D5E;lana=3:0:0aff011000b0", L"\r\n001A2B3C4D5E\r\n0AFF011000B0"},
        {L"lana=0:0:000000000001;lana=1:35:000000000002;lana=2:0:000000000003;"
         L"lana=3:5:000000000004",
         L"\r\n000000000001\r\n000000000003"},
        {L"lana=0:0:AABBCCDDEEFF;lana=1:0:AABBCCDDEEFF", L"\r\nAABBCCDDEEFF\r\nAABBCCDDEEFF"},
        {L"", L""},
        {L"enum=1;lana=0:0:AABBCCDDEEFF", L""},
    };
    InstallNetapi(paths.scriptedDll);
    for (const Case& c : cases) {
        VelnartProcess velnart(paths.velnart, c.script);
        if (!CHECK(velnart.form() != nullptr)) {
            continue;
        }
        CHECK_EQ(velnart.Text(kText1Id), std::wstring());
        ClickAndWaitForText(velnart, c.expected);
        // The second click replaces: wait until it has run, then compare.
        ClickAndWaitForText(velnart, c.expected);
        CHECK(velnart.MessageBoxes().empty());
    }
}

// The control blocks as the service received them, through the real binding.
void TestControlBlocks(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    const std::wstring log = TempFile(L"velnart-netbios.log");
    DeleteFileW(log.c_str());
    {
        VelnartProcess velnart(paths.velnart, L"lana=4:0:001A2B3C4D5E;lana=2:0:-", log);
        ClickAndWaitForText(velnart, L"\r\n001A2B3C4D5E\r\n000000000000");
    }
    const std::vector<std::string> lines = ReadLines(log);
    // command, LANA, length, whether the buffer was clear on entry
    const char* expected[] = {"37 00 0001 Z", "32 04 0000 -", "33 04 5802 Z", "32 02 0000 -",
                              "33 02 5802 Z"};
    if (!CHECK_EQ(static_cast<long long>(lines.size()),
                  static_cast<long long>(std::size(expected)))) {
        return;
    }
    const std::string callname = "2A202020202020202020202020202020";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& hex = lines[i];
        // Two hex digits a byte, in the platform's layout of the block.
        const auto field = [&](std::size_t offset, std::size_t bytes) {
            return hex.substr(2 * offset, 2 * bytes);
        };
        if (!CHECK(hex.size() > 2 * sizeof(NCB) + 1)) {
            continue;
        }
        const std::string summary =
            field(offsetof(NCB, ncb_command), 1) + " " + field(offsetof(NCB, ncb_lana_num), 1) +
            " " + field(offsetof(NCB, ncb_length), 2) + " " + hex.substr(2 * sizeof(NCB) + 1);
        Check(summary == expected[i], expected[i], __LINE__, "(got " + summary + ")");
        const bool query = hex.substr(0, 2) == "33";
        Check(field(offsetof(NCB, ncb_callname), 16) == (query ? callname : std::string(32, '0')),
              "callname", __LINE__, hex);
    }
}

void TestDiscoveryError(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    {
        VelnartProcess velnart(paths.velnart, L"lana=0:0:001A2B3C4D5E");
        // The library is loaded for each listing and let go after it: one replaced
        // between two clicks is the one the second click finds.
        ClickAndWaitForText(velnart, L"\r\n001A2B3C4D5E");
        CHECK(InstallNetapi(paths.noexportDll));
        velnart.SetText(kText1Id, L"\r\nPREVIOUSLIST");
        velnart.Click(kCommand1Id);
        ExpectOneBox(velnart, Win32Error(ERROR_PROC_NOT_FOUND).message());
        CHECK_EQ(velnart.Text(kText1Id), std::wstring(L"\r\nPREVIOUSLIST"));
    }
    InstallNetapi(paths.scriptedDll);

    // velnart in a folder of its own, as in a Downloads folder that other downloads share,
    // with a netapi32.dll beside it: the service is still the system's. Nor does a DLL
    // loaded by bare name on velnart's behalf come from there, while system DLLs still load.
    const std::wstring folder = TempFile(L"velnart-alone");
    const std::wstring alone = folder + L"\\velnart.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    CHECK(CopyFileW(paths.velnart.c_str(), alone.c_str(), FALSE));
    for (const wchar_t* planted : {L"\\netapi32.dll", L"\\velnart-planted.dll"}) {
        CHECK(CopyFileW(paths.noexportDll.c_str(), (folder + planted).c_str(), FALSE));
    }
    {
        VelnartProcess velnart(alone, L"lana=0:0:001A2B3C4D5E");
        ClickAndWaitForText(velnart, L"\r\n001A2B3C4D5E");
        CHECK(velnart.MessageBoxes().empty());
        const std::optional<bool> system = velnart.LoadsLibrary(L"version.dll");
        const std::optional<bool> planted = velnart.LoadsLibrary(L"velnart-planted.dll");
        const auto said = [](std::optional<bool> loaded) {
            return loaded ? (*loaded ? "loaded" : "refused") : "not asked";
        };
        std::printf("by bare name in velnart: version.dll %s, velnart-planted.dll %s\n",
                    said(system), said(planted));
        CHECK(system == true);
        CHECK(planted == false);
    }
}

void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> inputs;
    for (const auto& [key, down] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Press(WORD key) {
    SendKeys({{key, true}, {key, false}});
}
void PressAlt(WORD key) {
    SendKeys({{VK_MENU, true}, {key, true}, {key, false}, {VK_MENU, false}});
}

void TestKeyboard(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    const std::wstring listed = L"\r\n001A2B3C4D5E";
    const auto start = [&] {
        auto velnart = std::make_unique<VelnartProcess>(paths.velnart, L"lana=0:0:001A2B3C4D5E");
        SetForegroundWindow(velnart->form());
        WaitUntil([&] { return GetForegroundWindow() == velnart->form(); });
        return velnart;
    };
    {
        auto velnart = start();
        Press(VK_RETURN);  // focus starts on the default button
        WaitUntil([&] { return velnart->Text(kText1Id) == listed; });
        CHECK_EQ(velnart->Text(kText1Id), listed);

        velnart->SetText(kText1Id, L"");
        PressAlt('G');
        WaitUntil([&] { return velnart->Text(kText1Id) == listed; });
        CHECK_EQ(velnart->Text(kText1Id), listed);

        velnart->SetText(kText1Id, L"");
        SendKeys({{VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}});
        WaitUntil([&] { return velnart->Focus() == velnart->control(kText1Id); });
        CHECK(velnart->Focus() == velnart->control(kText1Id));
        Press(VK_RETURN);  // Enter in the text box presses the default button
        WaitUntil([&] { return velnart->Text(kText1Id) == listed; });
        CHECK_EQ(velnart->Text(kText1Id), listed);

        Press(VK_ESCAPE);  // with the focus still in the text box
        CHECK(velnart->WaitForExit());
    }
    {
        auto velnart = start();
        Press(VK_TAB);  // to "cpy &all": Enter now presses that button, not the default one
        WaitUntil([&] { return velnart->Focus() == velnart->control(kCommand2Id); });
        Press(VK_RETURN);
        ExpectOneBox(*velnart, L"You should get it before...");
        CHECK_EQ(velnart->Text(kText1Id), std::wstring());
        Press(VK_ESCAPE);
        CHECK(velnart->WaitForExit());
    }
    {
        auto velnart = start();
        PressAlt('E');
        CHECK(velnart->WaitForExit());
    }
    {
        auto velnart = start();
        velnart->Click(kCommand3Id);
        CHECK(velnart->WaitForExit());
    }
}

// What a rectangle of the screen shows: the extent and the number of pixels that
// differ from the background.
struct Ink {
    int width = 0;
    int height = 0;
    int pixels = 0;
};

// A 32-bit top-down bitmap selected into a memory DC, its pixels readable in place.
// The DC goes first, so that the bitmap is no longer selected when it is deleted.
struct Canvas {
    UniqueBitmap bitmap;
    UniqueMemoryDc dc;
    const DWORD* pixels = nullptr;  // 0x00RRGGBB, row after row

    Canvas(HDC like, int width, int height) : dc(CreateCompatibleDC(like)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        bitmap.reset(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        pixels = static_cast<const DWORD*>(bits);
        SelectObject(dc.get(), bitmap.get());
    }
};

// One copy of the rectangle, read in memory: a pixel at a time from the screen takes
// seconds at high DPI.
template <typename IsInk>
Ink MeasureInk(HDC dc, const RECT& rect, IsInk isInk) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    Ink ink;
    if (width <= 0 || height <= 0) {
        return ink;
    }
    const Canvas copy(dc, width, height);
    BitBlt(copy.dc.get(), 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD* pixels = copy.pixels;
    int left = INT_MAX;
    int right = INT_MIN;
    int top = INT_MAX;
    int bottom = INT_MIN;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const DWORD pixel = pixels[y * width + x];
            if (isInk(RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF))) {
                ++ink.pixels;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ink.width = ink.pixels ? right - left + 1 : 0;
    ink.height = ink.pixels ? bottom - top + 1 : 0;
    return ink;
}

// The same text drawn by the driver in the font the control should have, made by the
// window's own rule. Fonts cannot be read from another process under Wine, so they
// are compared by what they draw.
struct Reference {
    Ink ink;
    int advance = 0;
    TEXTMETRICW metrics{};
    bool hasPointSize = false;
};

template <typename IsInk>
Reference ExpectedInk(const wchar_t* text, const FontDefinition& wanted, int dpi, IsInk isInk) {
    const UniqueFont font = CreatePointSizeFont(wanted, dpi);
    const Canvas canvas(nullptr, 600, 200);  // goes before the font it holds
    const HDC dc = canvas.dc.get();
    SelectObject(dc, font.get());
    RECT all{0, 0, 600, 200};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text, -1, &all, DT_SINGLELINE | DT_HIDEPREFIX);
    Reference reference;
    reference.ink = MeasureInk(dc, all, isInk);
    DrawTextW(dc, text, -1, &all, DT_SINGLELINE | DT_HIDEPREFIX | DT_CALCRECT);
    reference.advance = all.right - all.left;
    GetTextMetricsW(dc, &reference.metrics);
    reference.hasPointSize = HasPointSize(dc, wanted.hundredthsOfPoint, dpi);
    return reference;
}

RECT InnerRect(HWND control, int inset, int rightInset) {
    RECT rect;
    GetWindowRect(control, &rect);
    return {rect.left + inset, rect.top + inset, rect.right - rightInset, rect.bottom - inset};
}

// Text1 red on white in a fixed-pitch face, every caption on one line; each font at the
// height its point size asks for at this density.
void CheckRendering(const VelnartProcess& velnart, int dpi) {
    // Text1 without its caret, then the buttons without a focus rectangle.
    const auto focus = [&](int id) {
        SendMessageW(velnart.form(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(velnart.control(id)),
                     TRUE);
        Sleep(300);
    };
    focus(kCommand1Id);
    const int scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    const UniqueScreenDc screenDc(GetDC(nullptr));
    const HDC screen = screenDc.get();

    const RECT text1 = InnerRect(velnart.control(kText1Id), 3, scrollBar + 3);
    int blended = 0;
    int foreign = 0;
    MeasureInk(screen, text1, [&](COLORREF colour) {
        // Anything between pure red and white keeps full red and equal green and blue.
        const bool redOnWhite = GetRValue(colour) == 255 && GetGValue(colour) == GetBValue(colour);
        ++(redOnWhite ? blended : foreign);
        return false;
    });
    CHECK_EQ(foreign, 0);
    const auto isRed = [](COLORREF colour) { return colour != RGB(255, 255, 255); };
    const Ink shown = MeasureInk(screen, text1, isRed);
    const Reference expected = ExpectedInk(L"0AFF011000B0", kText1Font, dpi, isRed);
    std::printf("%d dpi: Text1 ink %dx%d, expected %dx%d\n", dpi, shown.width, shown.height,
                expected.ink.width, expected.ink.height);
    CHECK(expected.hasPointSize);
    CHECK(!(expected.metrics.tmPitchAndFamily & TMPF_FIXED_PITCH));  // set means variable
    CHECK_EQ(shown.width, expected.ink.width);
    CHECK(std::abs(shown.pixels - expected.ink.pixels) * 10 < expected.ink.pixels);

    focus(kText1Id);
    const auto isDark = [](COLORREF colour) { return GetRValue(colour) < 64; };
    struct Caption {
        int id;
        const wchar_t* text;
    };
    for (const Caption caption :
         {Caption{kCommand1Id, L"&get mac adrs"}, Caption{kCommand2Id, L"cpy &all"},
          Caption{kCommand4Id, L"cpy &selected"}, Caption{kCommand5Id, L"&clipboard"},
          Caption{kCommand3Id, L"&end"}}) {
        const RECT inner = InnerRect(velnart.control(caption.id), 3, 3);
        const Ink drawn = MeasureInk(screen, inner, isDark);
        const Reference reference = ExpectedInk(caption.text, kButtonFont, dpi, isDark);
        const int advance96 = ExpectedInk(caption.text, kButtonFont, 96, isDark).advance;
        std::printf("%d dpi: %ls ink %dx%d, expected %dx%d; advance %d, %d at 96 dpi\n", dpi,
                    caption.text, drawn.width, drawn.height, reference.ink.width,
                    reference.ink.height, reference.advance, advance96);
        CHECK(reference.hasPointSize);
        CHECK_EQ(drawn.width, reference.ink.width);         // neither wrapped nor clipped
        CHECK(drawn.height <= reference.metrics.tmHeight);  // one line
        CHECK(drawn.width < inner.right - inner.left);
        // Grows with the density, to within what hinting and face changes make.
        CHECK(std::abs(reference.advance * 96 - advance96 * dpi) * 100 <= 15 * advance96 * dpi);
    }
}

void TestRendering(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    VelnartProcess velnart(paths.velnart, L"lana=0:0:0AFF011000B0");
    ClickAndWaitForText(velnart, L"\r\n0AFF011000B0");
    CheckRendering(velnart, SystemDpi());
}

// Windows asks a window for its size at a monitor's new density, then tells it of the
// change with a rectangle of that size; Wine does neither, so the driver does, the
// messages' data in velnart's memory. Afterwards the window must be what a fresh start
// at that density is.
void TestDpiChange(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    VelnartProcess velnart(paths.velnart, L"lana=0:0:0AFF011000B0");
    ClickAndWaitForText(velnart, L"\r\n0AFF011000B0");
    void* remote =
        VirtualAllocEx(velnart.process(), nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (!CHECK(remote != nullptr)) {
        return;
    }
    // Not 288: from where it stands, the window would reach off the screen, whose pixels
    // the rendering checks read.
    for (const int dpi : {144, 72, 192, 120, SystemDpi()}) {
        // The size it answers is the one the window gets, which the layout check frames.
        SIZE size{};
        DWORD_PTR answered = FALSE;
        CHECK(WriteProcessMemory(velnart.process(), remote, &size, sizeof size, nullptr));
        CHECK(SendMessageTimeoutW(velnart.form(), WM_GETDPISCALEDSIZE, static_cast<WPARAM>(dpi),
                                  reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                                  &answered));
        CHECK(ReadProcessMemory(velnart.process(), remote, &size, sizeof size, nullptr));
        std::printf("%d dpi: asked for %ldx%ld\n", dpi, size.cx, size.cy);
        CHECK(answered == TRUE);

        RECT frame;
        GetWindowRect(velnart.form(), &frame);
        const RECT suggested{frame.left, frame.top, frame.left + size.cx, frame.top + size.cy};
        CHECK(WriteProcessMemory(velnart.process(), remote, &suggested, sizeof suggested, nullptr));
        CHECK(SendMessageTimeoutW(velnart.form(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                  reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                                  nullptr));
        GetWindowRect(velnart.form(), &frame);
        CHECK(EqualRect(&frame, &suggested));
        CheckLayout(velnart, dpi);
        CheckRendering(velnart, dpi);
    }
    VirtualFreeEx(velnart.process(), remote, 0, MEM_RELEASE);
}

// ---------------------------------------------------------------------------------------

void PutSentinel() {
    if (!OpenClipboard(nullptr)) {
        return;
    }
    EmptyClipboard();
    const wchar_t sentinel[] = L"sentinel";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof sentinel);
    std::memcpy(GlobalLock(memory), sentinel, sizeof sentinel);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

// The clipboard's text in one format; "<none>" when it has none.
template <typename Char>
std::basic_string<Char> ClipboardText(UINT format) {
    std::basic_string<Char> text = {Char('<'), Char('n'), Char('o'),
                                    Char('n'), Char('e'), Char('>')};
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(format)) {
            text = static_cast<const Char*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

std::wstring ClipboardUnicode() {
    return ClipboardText<wchar_t>(CF_UNICODETEXT);
}
std::string ClipboardAnsi() {
    return ClipboardText<char>(CF_TEXT);
}

// Formats besides text and the ones the system derives from it.
int ForeignClipboardFormats() {
    int foreign = 0;
    if (OpenClipboard(nullptr)) {
        for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
            foreign += format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT ||
                               format == CF_LOCALE
                           ? 0
                           : 1;
        }
        CloseClipboard();
    }
    return foreign;
}

bool CopyAndWait(const VelnartProcess& velnart, int button, const std::wstring& expected) {
    PutSentinel();
    velnart.Click(button);
    WaitUntil([&] { return ClipboardUnicode() == expected; });
    CHECK(velnart.MessageBoxes().empty());
    return CHECK_EQ(ClipboardUnicode(), expected);
}

void TestCopy(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    VelnartProcess velnart(paths.velnart, L"lana=0:0:001A2B3C4D5E;lana=1:0:0AFF011000B0");
    const std::wstring listed = L"\r\n001A2B3C4D5E\r\n0AFF011000B0";

    // Right after start there is nothing to copy: a plain message, the clipboard kept.
    struct Empty {
        int button;
        const wchar_t* message;
    };
    for (const Empty& empty : {Empty{kCommand2Id, L"You should get it before..."},
                               Empty{kCommand4Id, L"You should select something..."}}) {
        PutSentinel();
        velnart.Click(empty.button);
        ExpectOneBox(velnart, empty.message);
        CHECK_EQ(ClipboardUnicode(), std::wstring(L"sentinel"));
    }

    ClickAndWaitForText(velnart, listed);
    if (CopyAndWait(velnart, kCommand2Id, listed)) {
        CHECK_EQ(ClipboardAnsi(), std::string("\r\n001A2B3C4D5E\r\n0AFF011000B0"));
        CHECK_EQ(ForeignClipboardFormats(), 0);
    }

    struct Selection {
        int start, end;
    };
    for (const Selection& selection : {Selection{0, 2}, Selection{10, 20}, Selection{0, 30}}) {
        SendMessageW(velnart.control(kText1Id), EM_SETSEL, static_cast<WPARAM>(selection.start),
                     selection.end);
        CopyAndWait(velnart, kCommand4Id,
                    listed.substr(static_cast<std::size_t>(selection.start),
                                  static_cast<std::size_t>(selection.end - selection.start)));
    }
    SendMessageW(velnart.control(kText1Id), EM_SETSEL, 5, 5);
    PutSentinel();
    velnart.Click(kCommand4Id);
    ExpectOneBox(velnart, L"You should select something...");
    CHECK_EQ(ClipboardUnicode(), std::wstring(L"sentinel"));

    const std::wstring foreign = L"Gr\u00FC\u00DFe \u2713 \u03A9\r\n\u65E5\u672C";
    velnart.SetText(kText1Id, foreign);
    CopyAndWait(velnart, kCommand2Id, foreign);
}

void TestCopyFailures(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    VelnartProcess velnart(paths.velnart, L"lana=0:0:001A2B3C4D5E");
    ClickAndWaitForText(velnart, L"\r\n001A2B3C4D5E");
    PutSentinel();
    // Another program holding the clipboard open for 3 s: velnart waits a little, then
    // gives up with one box while it is still held, and the clipboard keeps its text.
    if (CHECK(OpenClipboard(nullptr))) {
        const DWORD start = GetTickCount();
        velnart.Click(kCommand2Id);
        WaitUntil([&] { return !velnart.MessageBoxes().empty(); }, 2900);
        const DWORD boxAfter = GetTickCount() - start;
        std::printf("clipboard held 3 s: box after %lu ms\n", boxAfter);
        CHECK(boxAfter >= 240 && boxAfter < 2000);
        Sleep(3000 - std::min<DWORD>(boxAfter, 3000));
        const std::vector<MessageBoxInfo> boxes = velnart.TakeMessageBoxes();
        CHECK_EQ(static_cast<long long>(boxes.size()), 1LL);
        CHECK(!boxes.empty() && !boxes[0].text.empty() &&
              boxes[0].text != Win32Error(ERROR_SUCCESS).message());
        if (!boxes.empty()) {
            std::printf("held clipboard reported as: %ls\n", boxes[0].text.c_str());
        }
        CloseClipboard();
    }
    CHECK_EQ(ClipboardUnicode(), std::wstring(L"sentinel"));
    // and the window goes on working
    CopyAndWait(velnart, kCommand2Id, L"\r\n001A2B3C4D5E");
}

// A program of the driver's own, ended when the test is done.
class Helper {
  public:
    explicit Helper(const std::wstring& commandLine) {
        std::wstring line = commandLine;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        CHECK(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &started));
        process_.reset(started.hProcess);
        UniqueKernelHandle thread(started.hThread);
        Sleep(300);  // until it has settled into its loop
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;
    bool running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    ~Helper() {
        if (process_) {
            TerminateProcess(process_.get(), 0);
            WaitForSingleObject(process_.get(), 3000);
        }
    }

  private:
    UniqueKernelHandle process_;
};

// Posted after a click, this is handled only once the click's handler has returned.
bool WaitForClickHandled(const VelnartProcess& velnart) {
    const HWND text1 = velnart.control(kText1Id);
    PostMessageW(text1, EM_SETSEL, 1, 2);
    return WaitUntil([&] {
        DWORD_PTR selection = 0;
        SendMessageTimeoutW(text1, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 1000, &selection);
        return selection == MAKELONG(1, 2);
    });
}

struct CopyRun {
    int exact = 0;
    int boxes = 0;
    DWORD slowestMs = 0;
};

// Presses "cpy &all" on each instance at once, each with a text of its own, as often as
// asked. A press counts as exact when the clipboard then holds one of the texts of its
// round (the instances race, so either may be last) and no box came up.
CopyRun CopyRepeatedly(const std::vector<const VelnartProcess*>& instances, int rounds) {
    CopyRun run;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::wstring> texts;
        for (std::size_t i = 0; i < instances.size(); ++i) {
            texts.push_back(L"\r\nround " + std::to_wstring(round) + L" instance " +
                            std::to_wstring(i));
            instances[i]->SetText(kText1Id, texts.back());
        }
        const DWORD start = GetTickCount();
        for (const VelnartProcess* velnart : instances) {
            velnart->Click(kCommand2Id);
        }
        int boxes = 0;
        for (const VelnartProcess* velnart : instances) {
            WaitForClickHandled(*velnart);
            if (!velnart->MessageBoxes().empty()) {
                boxes += static_cast<int>(velnart->TakeMessageBoxes().size());
            }
        }
        std::wstring copied;
        WaitUntil(
            [&] {
                copied = ClipboardUnicode();
                return std::find(texts.begin(), texts.end(), copied) != texts.end();
            },
            1000);
        run.slowestMs = std::max(run.slowestMs, GetTickCount() - start);
        run.boxes += boxes;
        run.exact += boxes == 0 && std::find(texts.begin(), texts.end(), copied) != texts.end();
    }
    return run;
}

// Clipboard-history tools open the clipboard on every change or poll it; two velnart
// windows may copy at the same moment. Every copy must get through, none may fail.
void TestBusyClipboard(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    constexpr int kPresses = 40;
    struct Case {
        const wchar_t* name;
        const wchar_t* grabber;  // its arguments; none for no grabber
        int instances;
    };
    const Case cases[] = {
        {L"listener holding 50 ms per update", L"listen 50", 1},
        {L"poller holding 2 ms every 10 ms", L"poll 2", 1},
        {L"two velnart windows at once", nullptr, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<VelnartProcess>> velnarts;
        std::vector<const VelnartProcess*> instances;
        for (int i = 0; i < c.instances; ++i) {
            velnarts.push_back(std::make_unique<VelnartProcess>(paths.velnart, L""));
            instances.push_back(velnarts.back().get());
        }
        std::unique_ptr<Helper> grabber;
        if (c.grabber) {
            grabber = std::make_unique<Helper>(L"\"" + paths.grabber + L"\" " + c.grabber);
        }
        const CopyRun run = CopyRepeatedly(instances, kPresses);
        std::printf("%ls: %d of %d rounds exact, %d boxes, slowest round %lu ms\n", c.name,
                    run.exact, kPresses, run.boxes, run.slowestMs);
        CHECK_EQ(run.exact, kPresses);
        CHECK_EQ(run.boxes, 0);
        CHECK(!grabber || grabber->running());  // it grabbed all along
    }
}

// Another program sends Text1 a text of about 1 MB. Wine fails to hand velnart that
// message (GetMessageW returns -1); velnart must not take that for the user closing it.
void TestForeignMessages(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    VelnartProcess velnart(paths.velnart, L"lana=0:0:001A2B3C4D5E");
    const std::wstring huge(1 << 20, L'x');
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(velnart.control(kText1Id), WM_SETTEXT, 0,
                                             reinterpret_cast<LPARAM>(huge.c_str()),
                                             SMTO_ABORTIFHUNG, 2000, &result);
    std::printf("1 MB WM_SETTEXT: sent %ld, result %lu, error %lu\n", static_cast<long>(sent),
                static_cast<unsigned long>(result), GetLastError());
    Sleep(500);
    DWORD code = 0;
    if (!velnart.running()) {
        GetExitCodeProcess(velnart.process(), &code);
        std::printf("velnart ended with exit code %lu\n", code);
    }
    CHECK(velnart.running());
    ClickAndWaitForText(velnart, L"\r\n001A2B3C4D5E");
}

void TestViewer(const Paths& paths) {
    InstallNetapi(paths.scriptedDll);
    const std::wstring marker = TempFile(L"velnart-viewer.txt");
    SetEnvironmentVariableW(L"VELNART_VIEWER_MARKER", marker.c_str());
    const std::wstring systemViewer = SystemFile(L"clipbrd.exe");
    DeleteFileW(systemViewer.c_str());
    DeleteFileW(marker.c_str());

    // Only in the directory velnart was started from, also with that directory on PATH as
    // ".": not run, not found.
    const std::wstring planted = TempFile(L"velnart-cwd");
    CreateDirectoryW(planted.c_str(), nullptr);
    CopyFileW(paths.viewerStub.c_str(), (planted + L"\\clipbrd.exe").c_str(), FALSE);
    {
        wchar_t path[32767];
        const DWORD length = GetEnvironmentVariableW(L"PATH", path, 32767);
        SetEnvironmentVariableW(L"PATH", (L".;" + std::wstring(path, length)).c_str());
        VelnartProcess velnart(paths.velnart, L"", L"", planted);
        SetEnvironmentVariableW(L"PATH", path);
        velnart.Click(kCommand5Id);
        ExpectOneBox(velnart, Win32Error(ERROR_FILE_NOT_FOUND).message());
    }
    Sleep(300);
    CHECK(ReadLines(marker).empty());

    // In the system directory: started once per press, in a normal focused window, no box.
    if (CHECK(CopyFileW(paths.viewerStub.c_str(), systemViewer.c_str(), FALSE))) {
        VelnartProcess velnart(paths.velnart, L"", L"", planted);
        velnart.Click(kCommand5Id);
        velnart.Click(kCommand5Id);
        const std::vector<std::string> twice = {"show=1", "show=1"};
        WaitUntil([&] { return ReadLines(marker) == twice; });
        CHECK(ReadLines(marker) == twice);
        CHECK(velnart.MessageBoxes().empty());
    }

    // A file by that name that is not a program: the system's text names the file,
    // never a raw insert.
    if (FILE* file = _wfopen(systemViewer.c_str(), L"w")) {
        std::fputs("not a program\n", file);
        std::fclose(file);
        VelnartProcess velnart(paths.velnart, L"", L"", planted);
        velnart.Click(kCommand5Id);
        const std::vector<MessageBoxInfo> boxes = velnart.TakeMessageBoxes();
        if (CHECK_EQ(static_cast<long long>(boxes.size()), 1LL)) {
            std::printf("not a program reported as: %ls\n", boxes[0].text.c_str());
            CHECK_EQ(boxes[0].text, Win32Error(ERROR_BAD_EXE_FORMAT, systemViewer).message());
            CHECK(boxes[0].text.find(L'%') == std::wstring::npos);
            CHECK(boxes[0].text.find(systemViewer) != std::wstring::npos);
        }
    }
    DeleteFileW(systemViewer.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 7) {
        std::printf(
            "usage: e2e_driver GROUP VELNART_EXE SCRIPTED_DLL NOEXPORT_DLL VIEWER_STUB GRABBER\n");
        return 2;
    }
    const Paths paths{argv[2], argv[3], argv[4], argv[5], argv[6]};
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::map<std::wstring, void (*)(const Paths&)> groups = {
        {L"window", TestWindow},
        {L"listing", TestListing},
        {L"control-blocks", TestControlBlocks},
        {L"discovery-error", TestDiscoveryError},
        {L"keyboard", TestKeyboard},
        {L"copy", TestCopy},
        {L"copy-failures", TestCopyFailures},
        {L"busy-clipboard", TestBusyClipboard},
        {L"viewer", TestViewer},
        {L"foreign-messages", TestForeignMessages},
        {L"rendering", TestRendering},
        {L"dpi-change", TestDpiChange},
    };
    const auto group = groups.find(argv[1]);
    if (group == groups.end()) {
        std::printf("unknown group\n");
        return 2;
    }
    group->second(paths);
    std::printf("%d passed, %d failed\n", Counts().passed, Counts().failed);
    return Counts().failed == 0 && Counts().passed > 0 ? 0 : 1;
}
