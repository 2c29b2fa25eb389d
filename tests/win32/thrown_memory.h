#pragma once

// Throws and rethrows, also while the heap is full, and says whether every thrown object
// had the memory the C++ runtime expects. Prints one line of figures.
bool ThrownMemoryHolds();
