// A picture of the screen as the programs on it draw it, for the demo: under Wine on Xvfb
// an X screenshot shows a message box velnart opens as a black rectangle, while the
// screen Wine keeps holds the box as drawn.
#pragma once

// Writes the calling thread's desktop to PATH as a 24-bit .bmp; false if it could not.
bool SaveScreenShot(const char* path);
