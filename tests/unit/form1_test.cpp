#include "form1.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <new>
#include <optional>

#include "failing_allocator.h"
#include "fake_form_services.h"
#include "fake_netbios.h"

namespace {

const AppError kFailure(5, L"Access is denied.");

struct Fixture {
    FakeFormServices services;
    FakeNetbios netbios;
    Form1 form{services, [this] { return netbios.Open(); }};
};

TEST(Form1Listing, WritesEachAddressAfterACrLfReplacingWhatWasThere) {
    struct Case {
        std::vector<std::uint8_t> lanas;
        std::wstring expected;
    };
    const Case cases[] = {
        {{}, L""},
        {{1}, L"\r\n001A2B3C4D5E"},
        {{1, 2}, L"\r\n001A2B3C4D5E\r\n0AFF011000B0"},
        {{1, 3, 2}, L"\r\n001A2B3C4D5E\r\n0AFF011000B0"},  // LANA 3 fails its query
        {{1, 1}, L"\r\n001A2B3C4D5E\r\n001A2B3C4D5E"},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.services.text = L"typed by hand";
        f.netbios.lanas = c.lanas;
        f.netbios.addresses = {{1, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
                               {2, {0x0A, 0xFF, 0x01, 0x10, 0x00, 0xB0}}};
        f.netbios.statusCodes = {{3, 0x34}};
        f.form.Command1_Click();
        EXPECT_EQ(f.services.text, c.expected);
        f.form.Command1_Click();
        EXPECT_EQ(f.services.text, c.expected) << "a second click replaces, never appends";
        EXPECT_TRUE(f.services.messages.empty());
        const std::string write = c.expected.empty() ? "set empty" : "set";
        EXPECT_EQ(f.services.calls, (std::vector<std::string>{write, write}))
            << "one write a click";
        EXPECT_EQ(f.netbios.opened, 2) << "the service is opened for each listing";
        EXPECT_EQ(f.netbios.stillOpen, 0) << "and closed when it ends";
    }
}

TEST(Form1Listing, AFailedWriteLeavesTheBoxEmptyAndIsReportedOnce) {
    Fixture f;
    f.services.text = L"\r\nPREVIOUS";
    f.netbios.lanas = {1};
    f.netbios.addresses = {{1, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}}};
    f.services.failures.emplace("set", kFailure);
    f.form.Command1_Click();
    EXPECT_EQ(f.services.text, L"");
    EXPECT_EQ(f.services.messages, std::vector<std::wstring>{L"Access is denied."});
    EXPECT_EQ(f.netbios.stillOpen, 0);
}

TEST(Form1Listing, ADiscoveryErrorIsReportedOnceLeavesTheTextAloneAndClosesTheService) {
    struct Case {
        bool inOpening;  // else in the first call of the opened service
        std::function<void()> raise;
        std::wstring expected;
    };
    const Case cases[] = {
        {true, [] { throw AppError(126, L"The specified module could not be found."); },
         L"The specified module could not be found."},
        {false, [] { throw AppError(127, L"The specified procedure could not be found."); },
         L"The specified procedure could not be found."},
        {false, [] { throw std::bad_alloc(); },
         L"Not enough memory resources are available to process this command."},
    };
    for (const Case& c : cases) {
        FakeFormServices services;
        services.text = L"\r\nPREVIOUS";
        FakeNetbios netbios;
        Form1 form(services, [&] {
            if (c.inOpening) {
                c.raise();
            }
            const NetbiosOperation opened = netbios.Open();
            return NetbiosOperation([&c, opened](NCB& ncb) {
                c.raise();
                return opened(ncb);
            });
        });
        form.Command1_Click();
        EXPECT_EQ(services.messages, std::vector<std::wstring>{c.expected});
        EXPECT_EQ(services.text, L"\r\nPREVIOUS");
        EXPECT_EQ(netbios.opened, c.inOpening ? 0 : 1);
        EXPECT_EQ(netbios.stillOpen, 0);
    }
}

// Memory runs out the moment the error is raised: the report must still reach the
// user, and nothing may escape the click handler (which would end the program).
TEST(Form1Errors, AreReportedWithoutNeedingMemory) {
    struct Case {
        std::exception_ptr raised;
        std::wstring expected;
    };
    const Case cases[] = {
        {std::make_exception_ptr(AppError(5, L"Access is denied.")), L"Access is denied."},
        {std::make_exception_ptr(std::bad_alloc()),
         L"Not enough memory resources are available to process this command."},
        {std::make_exception_ptr(42), L"An internal error occurred."},
    };
    for (const Case& c : cases) {
        FakeFormServices services;
        std::optional<AllocationsFail> outOfMemory;
        Form1 form(services, [&] {
            return NetbiosOperation([&](NCB&) -> std::uint8_t {
                outOfMemory.emplace(true);
                std::rethrow_exception(c.raised);  // the same object, not a copy
            });
        });
        form.Command1_Click();
        outOfMemory.reset();
        EXPECT_EQ(services.messages, std::vector<std::wstring>{c.expected});
    }
}

struct CopyCommand {
    const char* name;
    void (Form1::*click)();
    const wchar_t* emptyMessage;
};

const CopyCommand kCopyCommands[] = {
    {"cpy all", &Form1::Command2_Click, L"You should get it before..."},
    {"cpy selected", &Form1::Command4_Click, L"You should select something..."},
};

TEST(Form1Copy, NothingToCopyIsAPlainMessageAndTheClipboardKeepsItsContent) {
    for (const CopyCommand& command : kCopyCommands) {
        Fixture f;  // empty text, empty selection
        (f.form.*command.click)();
        EXPECT_EQ(f.services.messages, std::vector<std::wstring>{command.emptyMessage})
            << command.name;
        EXPECT_EQ(f.services.clipboard, L"sentinel") << command.name;
    }
}

TEST(Form1Copy, ReplacesTheClipboardWithTheTextUnchangedInOneOperation) {
    const std::wstring text = L"\r\n001A2B3C4D5E\r\n0AFF011000B0";
    struct Case {
        std::size_t command;
        std::size_t start, length;
        std::wstring expected;
    };
    const Case cases[] = {
        {0, 0, 0, text},
        {1, 0, 2, L"\r\n"},            // only the leading empty line
        {1, 10, 10, L"4D5E\r\n0AFF"},  // across a line break
        {1, 0, text.size(), text},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.services.text = text;
        f.services.selectionStart = c.start;
        f.services.selectionLength = c.length;
        (f.form.*kCopyCommands[c.command].click)();
        EXPECT_EQ(f.services.clipboard, c.expected);
        EXPECT_TRUE(f.services.messages.empty());
        const std::string read = c.command == 0 ? "text" : "selection";
        EXPECT_EQ(f.services.calls, (std::vector<std::string>{read, read, "replace"}));
    }
}

TEST(Form1Copy, AClipboardFailureIsReportedOnceAndLeavesTheClipboardAsItWas) {
    for (const CopyCommand& command : kCopyCommands) {
        Fixture f;
        f.services.text = L"\r\n001A2B3C4D5E";
        f.services.selectionLength = 4;
        f.services.failures.emplace("replace", kFailure);
        (f.form.*command.click)();
        EXPECT_EQ(f.services.messages, std::vector<std::wstring>{L"Access is denied."})
            << command.name;
        EXPECT_EQ(f.services.clipboard, L"sentinel") << command.name;
    }
}

TEST(Form1Viewer, StartsTheClipboardViewerInANormalFocusedWindow) {
    Fixture f;
    f.form.Command5_Click();
    EXPECT_EQ(f.services.startedProgram, L"clipbrd.exe");
    EXPECT_EQ(f.services.startedStyle, 1);
    EXPECT_TRUE(f.services.messages.empty());

    f.services.failures.emplace("start",
                                AppError(2, L"The system cannot find the file specified."));
    f.form.Command5_Click();
    EXPECT_EQ(f.services.messages,
              std::vector<std::wstring>{L"The system cannot find the file specified."});
}

TEST(Form1End, UnloadsTheWindowAndReportsAFailureToDoSo) {
    Fixture f;
    f.form.Command3_Click();
    EXPECT_TRUE(f.services.unloaded);

    Fixture failing;
    failing.services.failures.emplace("unload", kFailure);
    failing.form.Command3_Click();
    EXPECT_EQ(failing.services.messages, std::vector<std::wstring>{L"Access is denied."});
}

}  // namespace
