// Ends with the system code page it runs in as its exit code, so that a
// test sees which code page the programs it starts get.  It stays a second
// first, for a test that finds it by name to see it run.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Sleep(1000);
    return static_cast<int>(GetACP());
}
