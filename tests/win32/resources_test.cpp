// velnart's identity read back from a built program the way Windows reads it: the
// version through the version API, the icon and manifest through the resource loader.
//   resources_test PATH-TO-EXE
// One line per failed check, then a count; the exit code is 1 if anything failed.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "handles.h"

namespace {

constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
constexpr WORD kIconImageId = 30001;

class Tally {
  public:
    bool Check(bool ok, const char* what) {
        if (!ok) {
            std::printf("FAIL: %s\n", what);
        }
        (ok ? passed_ : failed_)++;
        return ok;
    }
    void Equal(unsigned long actual, unsigned long expected, const char* what) {
        if (!Check(actual == expected, what)) {
            std::printf("      0x%lX instead of 0x%lX\n", actual, expected);
        }
    }
    int Finish() const {
        std::printf("%d passed, %d failed\n", passed_, failed_);
        return failed_ == 0 ? 0 : 1;
    }

  private:
    int passed_ = 0;
    int failed_ = 0;
};

std::span<const BYTE> Query(std::vector<BYTE>& block, const wchar_t* path) {
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &data, &length) || data == nullptr) {
        return {};
    }
    return {static_cast<const BYTE*>(data), length};
}

std::span<const BYTE> QueryString(std::vector<BYTE>& block, const wchar_t* name) {
    return Query(block, (std::wstring(L"\\StringFileInfo\\040904B0\\") + name).c_str());
}

template <typename T>
T Read(std::span<const BYTE> bytes) {
    T value{};
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

void CheckVersion(Tally& tally, const wchar_t* exe) {
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(exe, &ignored));
    if (!tally.Check(!block.empty() && GetFileVersionInfoW(exe, 0, static_cast<DWORD>(block.size()),
                                                           block.data()),
                     "the program has version information")) {
        return;
    }

    const auto fixedBytes = Query(block, L"\\");
    if (tally.Check(fixedBytes.size() >= sizeof(VS_FIXEDFILEINFO), "fixed version part present")) {
        const auto fixed = Read<VS_FIXEDFILEINFO>(fixedBytes);
        const struct {
            const char* what;
            DWORD actual;
            DWORD expected;
        } numbers[] = {
            {"fixed part signature", fixed.dwSignature, VS_FFI_SIGNATURE},
            {"file version 1.0 (major.minor)", fixed.dwFileVersionMS, MAKELONG(0, 1)},
            {"file version .0.0 (build.revision)", fixed.dwFileVersionLS, 0},
            {"product version 1.0 (major.minor)", fixed.dwProductVersionMS, MAKELONG(0, 1)},
            {"product version .0.0 (build.revision)", fixed.dwProductVersionLS, 0},
            {"file OS is VOS__WINDOWS32", fixed.dwFileOS, VOS__WINDOWS32},
            {"file type is VFT_APP", fixed.dwFileType, VFT_APP},
        };
        for (const auto& n : numbers) {
            tally.Equal(n.actual, n.expected, n.what);
        }
    }

    const auto translation = Query(block, L"\\VarFileInfo\\Translation");
    tally.Check(translation.size() == 4 && Read<DWORD>(translation) == MAKELONG(0x0409, 1200),
                "the one translation is 0x0409, code page 1200");

    // Listed in the order the table must hold them: each value lies after the one before.
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"CompanyName", L"velnart developers"},
        {L"LegalCopyright", L"Copyright (C) 2026 velnart developers"},
        {L"LegalTrademarks", L"No trademarks are claimed"},
        {L"ProductName", L"velnart"},
        {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
        {L"InternalName", L"velnart"},
        {L"OriginalFilename", L"velnart.exe"},
    };
    const BYTE* previous = nullptr;
    for (const auto& s : strings) {
        const auto value = QueryString(block, s.name);
        const auto* text = reinterpret_cast<const wchar_t*>(value.data());
        const bool ok = text != nullptr && std::wcscmp(text, s.value) == 0;
        if (!tally.Check(ok && value.data() > previous, "version string in its place")) {
            std::printf("      %ls: \"%ls\", expected \"%ls\"%s\n", s.name, text ? text : L"(none)",
                        s.value, ok ? ", but out of order" : "");
        }
        previous = value.data();
    }
    for (const wchar_t* absent : {L"FileDescription", L"Comments"}) {
        if (!tally.Check(QueryString(block, absent).empty(),
                         "version string that must be absent")) {
            std::printf("      %ls is present\n", absent);
        }
    }
}

std::span<const BYTE> Resource(HMODULE module, const wchar_t* type, WORD id, WORD language) {
    HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return {};
    }
    return {static_cast<const BYTE*>(data), SizeofResource(module, found)};
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

#pragma pack(push, 2)
struct GroupIcon {
    WORD reserved, type, count;
    BYTE width, height, colourCount, reserved2;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

void CheckIconAndManifest(Tally& tally, const wchar_t* exe) {
    UniqueModule module(
        LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!tally.Check(static_cast<bool>(module), "the program loads as a resource file")) {
        return;
    }

    // FindResourceEx falls back to other languages when asked for the neutral one, so
    // only the list of languages shows that each resource exists in exactly one.
    const struct {
        const wchar_t* type;
        WORD id;
        WORD language;
        const char* what;
    } languages[] = {
        {RT_GROUP_ICON, 1, kNeutral, "icon group 1 is language-neutral only"},
        {RT_ICON, kIconImageId, kNeutral, "icon image 30001 is language-neutral only"},
        {RT_VERSION, 1, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
         "version information is US English only"},
    };
    for (const auto& l : languages) {
        std::vector<WORD> found;
        EnumResourceLanguagesW(module.get(), l.type, MAKEINTRESOURCEW(l.id), AddLanguage,
                               reinterpret_cast<LONG_PTR>(&found));
        if (!tally.Check(found == std::vector<WORD>{l.language}, l.what)) {
            for (WORD language : found) {
                std::printf("      found language 0x%04X\n", language);
            }
        }
    }

    const auto groupBytes = Resource(module.get(), RT_GROUP_ICON, 1, kNeutral);
    const auto image = Resource(module.get(), RT_ICON, kIconImageId, kNeutral);
    if (tally.Check(groupBytes.size() >= sizeof(GroupIcon), "neutral icon group 1 present")) {
        const auto group = Read<GroupIcon>(groupBytes);
        tally.Equal(group.count, 1, "the group holds one image");
        tally.Equal(group.width, 32, "the group's image is 32 wide");
        tally.Equal(group.height, 32, "the group's image is 32 high");
        tally.Equal(group.bitCount, 8, "the group's image has 8 bits per pixel");
        tally.Equal(group.id, kIconImageId, "the group's image is 30001");
        tally.Equal(group.bytesInRes, static_cast<unsigned long>(image.size()),
                    "the group's size of the image matches the image");
        // What LoadIcon does with the group: the id it picks for a 32 x 32 icon.
        tally.Equal(static_cast<unsigned long>(LookupIconIdFromDirectoryEx(
                        const_cast<BYTE*>(groupBytes.data()), TRUE, 32, 32, LR_DEFAULTCOLOR)),
                    kIconImageId, "Windows picks image 30001 from the group");
    }
    if (tally.Check(image.size() > sizeof(BITMAPINFOHEADER), "neutral icon image 30001 present")) {
        const auto header = Read<BITMAPINFOHEADER>(image);
        tally.Check(header.biWidth == 32 && header.biHeight == 64 && header.biBitCount == 8,
                    "the image is 32 x 32 (colour and mask) at 8 bits per pixel");
        UniqueIcon icon(CreateIconFromResourceEx(const_cast<BYTE*>(image.data()),
                                                 static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                                 0, 0, LR_DEFAULTCOLOR));
        tally.Check(static_cast<bool>(icon), "Windows makes an icon of the image");
    }

    // Asked for the neutral language, the loader takes the manifest in whichever it has.
    const auto manifestBytes = Resource(module.get(), RT_MANIFEST, 1, kNeutral);
    if (tally.Check(!manifestBytes.empty(), "manifest 1 present")) {
        const std::string_view manifest(reinterpret_cast<const char*>(manifestBytes.data()),
                                        manifestBytes.size());
        for (const char* needle :
             {"WindowsSettings\">true</dpiAware>",
              "WindowsSettings\">PerMonitorV2, System</dpiAwareness>", "level=\"asInvoker\"",
              "name=\"Microsoft.Windows.Common-Controls\""}) {
            if (!tally.Check(manifest.find(needle) != manifest.npos, "manifest setting")) {
                std::printf("      %s is missing\n", needle);
            }
        }
    }
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2) {
        std::printf("usage: resources_test PATH-TO-EXE\n");
        return 2;
    }
    Tally tally;
    CheckVersion(tally, argv[1]);
    CheckIconAndManifest(tally, argv[1]);
    LocalFree(argv);
    return tally.Finish();
}
