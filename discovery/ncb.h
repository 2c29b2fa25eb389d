// The NetBIOS control block and command codes, declared here rather than taken
// from the platform header so that discovery builds and is tested on any host.
#pragma once

#include <cstddef>
#include <cstdint>

struct NCB {
    std::uint8_t ncb_command;
    std::uint8_t ncb_retcode;
    std::uint8_t ncb_lsn;
    std::uint8_t ncb_num;
    std::uint8_t* ncb_buffer;
    std::uint16_t ncb_length;
    std::uint8_t ncb_callname[16];
    std::uint8_t ncb_name[16];
    std::uint8_t ncb_rto;
    std::uint8_t ncb_sto;
    void* ncb_post;
    std::uint8_t ncb_lana_num;
    std::uint8_t ncb_cmd_cplt;
#ifdef _WIN64
    std::uint8_t ncb_reserve[18];
#else
    std::uint8_t ncb_reserve[10];
#endif
    void* ncb_event;
};

inline constexpr std::uint8_t NCBENUM = 0x37;
inline constexpr std::uint8_t NCBRESET = 0x32;
inline constexpr std::uint8_t NCBASTAT = 0x33;

// Return codes: success, and a status cut short because the buffer was too small.
inline constexpr std::uint8_t NRC_GOODRET = 0x00;
inline constexpr std::uint8_t NRC_INCOMP = 0x06;

// Whether a status query's answer holds the adapter's address. An adapter with more names
// than the buffer holds (a domain controller, a terminal server with a name per user)
// answers NRC_INCOMP: the status is cut short, but the address comes first and is there.
inline constexpr bool HasAdapterAddress(std::uint8_t statusCode) {
    return statusCode == NRC_GOODRET || statusCode == NRC_INCOMP;
}

// The platform's LANA_ENUM: a count byte and up to 255 adapter numbers.
inline constexpr std::size_t kLanaListSize = 256;
inline constexpr std::size_t kAdapterStatusSize = 600;
inline constexpr std::size_t kAdapterAddressSize = 6;

// The service reads the block by these offsets; a layout slip would send it garbage.
#if defined(_WIN64)
static_assert(sizeof(NCB) == 96);
static_assert(offsetof(NCB, ncb_buffer) == 8);
static_assert(offsetof(NCB, ncb_length) == 16);
static_assert(offsetof(NCB, ncb_callname) == 18);
static_assert(offsetof(NCB, ncb_lana_num) == 64);
static_assert(offsetof(NCB, ncb_event) == 88);
#elif defined(_WIN32)
static_assert(sizeof(NCB) == 64);
static_assert(offsetof(NCB, ncb_command) == 0);
static_assert(offsetof(NCB, ncb_buffer) == 4);
static_assert(offsetof(NCB, ncb_length) == 8);
static_assert(offsetof(NCB, ncb_callname) == 10);
static_assert(offsetof(NCB, ncb_lana_num) == 48);
static_assert(offsetof(NCB, ncb_event) == 60);
#endif
