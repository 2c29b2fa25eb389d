#pragma once

// The density of the screen as a whole, the one XP and system-aware programs see; 96
// if the screen cannot be asked.
int SystemDpi();
