// Discovery through the real binding, against Wine's own NetBIOS service: every
// address listed must be the hardware address of one of the machine's interfaces,
// as the caller read them from the kernel and passed them in. Built with velnart's
// runtime stand-ins, whose thrown memory it checks first.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "app_error.h"
#include "get_mac_address.h"
#include "system_netbios.h"
#include "thrown_memory.h"

int main(int argc, char** argv) {
    bool requireOne = false;
    std::set<std::string> known;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--require-one") == 0) {
            requireOne = true;
        } else {
            known.insert(argv[i]);
        }
    }

    int failures = ThrownMemoryHolds() ? 0 : 1;
    AddressList list;
    try {
        GetMacAddress(list, OpenSystemNetbios());
    } catch (const AppError& error) {
        std::fprintf(stderr, "FAIL: error %lu from the service binding\n", error.number());
        return 1;
    }

    for (const std::string& address : list) {
        const bool isKnown = known.count(address) != 0;
        std::printf("%s %s\n", address.c_str(), isKnown ? "ok" : "NOT AN INTERFACE ADDRESS");
        failures += isKnown ? 0 : 1;
    }
    if (requireOne && list.empty()) {
        std::fprintf(stderr, "FAIL: the machine has an IPv4 interface but nothing was listed\n");
        ++failures;
    }
    std::printf("%zu listed, %d failed\n", list.size(), failures);
    return failures == 0 ? 0 : 1;
}
