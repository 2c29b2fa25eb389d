#include "get_mac_address.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "app_error.h"
#include "fake_netbios.h"

namespace {

AddressList Collect(FakeNetbios& service, AddressList list = {}) {
    GetMacAddress(list, std::ref(service));
    return list;
}

// The block as it should reach the service: all zero but for the fields a command sets.
NCB ExpectedBlock(std::uint8_t command, std::uint8_t lana, std::uint8_t* buffer,
                  std::uint16_t length) {
    NCB ncb;
    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = command;
    ncb.ncb_lana_num = lana;
    ncb.ncb_buffer = buffer;
    ncb.ncb_length = length;
    if (command == NCBASTAT) {
        std::memcpy(ncb.ncb_callname, "*               ", 16);
    }
    return ncb;
}

TEST(GetMacAddress, SendsEnumThenResetAndStatusPerLanaWithOnlyTheirFieldsSet) {
    FakeNetbios service{.lanas = {3, 0, 7}, .addresses = {{3, {1, 2, 3, 4, 5, 6}}}};
    Collect(service);

    struct Step {
        std::uint8_t command, lana;
        std::uint16_t length;
    };
    const Step steps[] = {{NCBENUM, 0, 256}, {NCBRESET, 3, 0},   {NCBASTAT, 3, 600},
                          {NCBRESET, 0, 0},  {NCBASTAT, 0, 600}, {NCBRESET, 7, 0},
                          {NCBASTAT, 7, 600}};
    ASSERT_EQ(service.calls.size(), std::size(steps));
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        const NCB& seen = service.calls[i].ncb;
        EXPECT_EQ(seen.ncb_buffer == nullptr, steps[i].length == 0);
        const NCB expected =
            ExpectedBlock(steps[i].command, steps[i].lana, seen.ncb_buffer, steps[i].length);
        EXPECT_EQ(std::memcmp(&seen, &expected, sizeof(NCB)), 0);
        if (steps[i].command == NCBASTAT) {
            EXPECT_EQ(service.calls[i].bufferOnEntry, std::vector<std::uint8_t>(600, 0))
                << "status buffer must be cleared before every query";
        }
    }
}

struct Scenario {
    const char* name;
    FakeNetbios service;
    AddressList expected;
};

TEST(GetMacAddress, ListsTheAddressOfEveryLanaThatAnswers) {
    const Scenario scenarios[] = {
        {"no LANAs", {}, {}},
        {"enumeration fails", {.lanas = {0}, .enumCode = 1, .addresses = {{0, {1}}}}, {}},
        {"upper case with leading zeros",
         {.lanas = {0, 1},
          .addresses = {{0, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
                        {1, {0x0A, 0xFF, 0x01, 0x10, 0x00, 0xB0}}}},
         {"001A2B3C4D5E", "0AFF011000B0"}},
        {"failing LANAs are skipped, whatever their code",
         {.lanas = {0, 1, 2, 3},
          .addresses = {{0, {0, 0, 0, 0, 0, 1}},
                        {1, {0, 0, 0, 0, 0, 2}},
                        {2, {0, 0, 0, 0, 0, 3}},
                        {3, {0, 0, 0, 0, 0, 4}}},
          .statusCodes = {{1, 0x23}, {3, 0x05}}},
         {"000000000001", "000000000003"}},
        {"a status cut short by the buffer still gives the address",
         {.lanas = {0, 1},
          .addresses = {{0, {0, 0, 0, 0, 0, 1}}, {1, {0, 0, 0, 0, 0, 2}}},
          .statusCodes = {{0, NRC_INCOMP}}},
         {"000000000001", "000000000002"}},
        {"the same adapter under two LANAs is listed twice, in LANA-list order",
         {.lanas = {5, 2, 9},
          .addresses = {{5, {0xAA, 0xBB, 0xCC, 0, 0, 1}},
                        {2, {0, 0, 0, 0, 0, 2}},
                        {9, {0xAA, 0xBB, 0xCC, 0, 0, 1}}}},
         {"AABBCC000001", "000000000002", "AABBCC000001"}},
        {"a query that writes nothing gives zeros, not the previous address",
         {.lanas = {0, 1}, .addresses = {{0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}}},
         {"FFFFFFFFFFFF", "000000000000"}},
        {"a count above the entries written queries the zero-filled rest as LANA 0",
         {.lanas = {4}, .countByte = 3, .addresses = {{4, {4}}, {0, {0xC0}}}},
         {"040000000000", "C00000000000", "C00000000000"}},
    };
    for (const Scenario& scenario : scenarios) {
        FakeNetbios service = scenario.service;
        EXPECT_EQ(Collect(service), scenario.expected) << scenario.name;
    }
}

TEST(GetMacAddress, ProcessesAllOfAFullLanaList) {
    FakeNetbios service;
    for (int lana = 0; lana < 255; ++lana) {
        service.lanas.push_back(static_cast<std::uint8_t>(lana));
        service.addresses[static_cast<std::uint8_t>(lana)] = {
            0, 0, 0, 0, 0, static_cast<std::uint8_t>(lana)};
    }
    const AddressList list = Collect(service);
    ASSERT_EQ(list.size(), 255u);
    EXPECT_EQ(list.front(), "000000000000");
    EXPECT_EQ(list.back(), "0000000000FE");
    EXPECT_EQ(service.calls.back().ncb.ncb_lana_num, 254);
}

TEST(GetMacAddress, KeepsWhatTheListAlreadyHeldAhead) {
    FakeNetbios service{.lanas = {0}, .addresses = {{0, {0xDE, 0xAD, 0xBE, 0xEF, 0, 1}}}};
    EXPECT_EQ(Collect(service, {"111111111111"}), (AddressList{"111111111111", "DEADBEEF0001"}));
}

TEST(GetMacAddress, AnErrorFromTheServiceKeepsTheEntriesAppendedBeforeIt) {
    FakeNetbios service{.lanas = {0, 1, 2}, .addresses = {{0, {1}}, {1, {2}}, {2, {3}}}};
    AddressList list{"AAAAAAAAAAAA"};
    const auto failOnLana1 = [&](NCB& ncb) -> std::uint8_t {
        if (ncb.ncb_command == NCBRESET && ncb.ncb_lana_num == 1) {
            throw AppError(127, L"The specified procedure could not be found.");
        }
        return service(ncb);
    };
    try {
        GetMacAddress(list, failOnLana1);
        FAIL() << "the service's error must reach the caller";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), 127u);
    }
    EXPECT_EQ(list, (AddressList{"AAAAAAAAAAAA", "010000000000"}));
}

// Random services within the rules of the protocol (the service writes at most
// ncb_length bytes): whatever they answer, every entry is twelve upper-case hex
// digits, and the sanitizers see no access outside the buffers.
TEST(GetMacAddress, RandomServicesOnlyEverYieldTwelveHexDigits) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 1000; ++round) {
        std::uniform_int_distribution<int> byte(0, 255);
        const auto service = [&](NCB& ncb) -> std::uint8_t {
            if (ncb.ncb_buffer) {
                const int written = std::uniform_int_distribution<int>(0, ncb.ncb_length)(random);
                for (int i = 0; i < written; ++i) {
                    ncb.ncb_buffer[i] = static_cast<std::uint8_t>(byte(random));
                }
            }
            return static_cast<std::uint8_t>(byte(random) < 192 ? 0 : byte(random));
        };
        AddressList list;
        GetMacAddress(list, service);
        ASSERT_LE(list.size(), 255u);
        for (const std::string& entry : list) {
            ASSERT_EQ(entry.size(), 12u);
            ASSERT_EQ(entry.find_first_not_of("0123456789ABCDEF"), std::string::npos) << entry;
        }
    }
}

}  // namespace
