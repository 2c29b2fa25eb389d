#pragma once

#include <string>
#include <vector>

// Adapter addresses in the order the service reported them; duplicates are kept.
using AddressList = std::vector<std::string>;
