// The Netbios operation of the platform's netapi32.dll.
#pragma once

#include <cstdint>

#include "handles.h"
#include "ncb.h"

class SystemNetbios {
  public:
    // Loads the library at first use; a missing library or entry point is an AppError
    // here, so the program still starts and the click that needs it reports it.
    std::uint8_t operator()(NCB& ncb);

  private:
    using NetbiosEntry = UCHAR(WINAPI*)(NCB*);
    UniqueModule library_;
    NetbiosEntry netbios_ = nullptr;
};
