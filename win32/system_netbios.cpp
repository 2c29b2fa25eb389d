#include "system_netbios.h"

#include "system_library.h"
#include "win32_error.h"

std::uint8_t SystemNetbios::operator()(NCB& ncb) {
    if (!netbios_) {
        UniqueModule library = LoadSystemLibrary(L"netapi32.dll");
        const auto entry = reinterpret_cast<NetbiosEntry>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), "Netbios")));
        if (!entry) {
            ThrowLastError();
        }
        library_ = std::move(library);
        netbios_ = entry;
    }
    return netbios_(&ncb);
}
