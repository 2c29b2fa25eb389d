#include "system_netbios.h"

#include <memory>

#include "system_library.h"
#include "win32_error.h"

SystemNetbios::SystemNetbios() : library_(LoadSystemLibrary(L"netapi32.dll")) {
    netbios_ = reinterpret_cast<NetbiosEntry>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), "Netbios")));
    if (!netbios_) {
        ThrowLastError();
    }
}

std::uint8_t SystemNetbios::operator()(NCB& ncb) const {
    return netbios_(&ncb);
}

NetbiosOperation OpenSystemNetbios() {
    const auto netbios = std::make_shared<const SystemNetbios>();
    return [netbios](NCB& ncb) { return (*netbios)(ncb); };
}
