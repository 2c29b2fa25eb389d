// A program that does nothing but carry velnart's resources, so that resources_test
// has something to read before and besides velnart.exe.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
