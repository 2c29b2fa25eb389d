// The Netbios operation of the platform's netapi32.dll, open for one listing at a time.
#pragma once

#include <cstdint>

#include "handles.h"
#include "ncb.h"
#include "netbios_operation.h"

class SystemNetbios {
  public:
    // Loads the library; a missing library or entry point is an AppError here, so the
    // program still starts and the click that needs it reports it.
    SystemNetbios();

    std::uint8_t operator()(NCB& ncb) const;

  private:
    using NetbiosEntry = UCHAR(WINAPI*)(NCB*);
    UniqueModule library_;
    NetbiosEntry netbios_ = nullptr;
};

// Wine's NetBIOS keeps its adapter table inside the library and lets it go stale
// while the library stays loaded, so each listing loads it afresh and frees it when
// the last copy of the returned operation goes.
NetbiosOperation OpenSystemNetbios();
