// A module with nothing in it, for the test host to load in place of the plug-in.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
