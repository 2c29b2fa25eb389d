// The one NetBIOS operation discovery needs, passed in so that the same code
// runs against the platform's service and against scripted fakes.
#pragma once

#include <cstdint>
#include <functional>

#include "ncb.h"

// Carries out the command in the block synchronously and returns its return code (0 = success).
using NetbiosOperation = std::function<std::uint8_t(NCB&)>;

// Opens the service for one listing. The operation it returns holds the service open
// until the last copy of it goes. Errors in opening are AppError.
using NetbiosOpener = std::function<NetbiosOperation()>;
