// The one NetBIOS operation discovery needs, passed in so that the same code
// runs against the platform's service and against scripted fakes.
#pragma once

#include <cstdint>
#include <functional>

#include "ncb.h"

// Carries out the command in the block synchronously and returns its return code (0 = success).
using NetbiosOperation = std::function<std::uint8_t(NCB&)>;
