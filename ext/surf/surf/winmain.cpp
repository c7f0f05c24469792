// The process entry of a windowed program: the wide command line split into
// UTF-8 arguments for the application's main.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "surf/window_win32.h"

int main(int argc, char** argv);

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!wide) argc = 0;
    // Left allocated: the arguments live as long as the process.
    char** argv = (char**)calloc((size_t)argc + 1, sizeof(char*));
    for (int i = 0; i < argc; i++) argv[i] = strdup(surfNarrow(wide[i]).c_str());
    argv[argc] = nullptr;
    LocalFree(wide);
    return main(argc, argv);
}

// MinGW's C runtime enters a program linked with -municode through wmain;
// hand over to WinMain as the platform's own start-up does.
extern "C" int wmain(int, wchar_t**) {
    return WinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}
