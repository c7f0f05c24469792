// Plays a plug-in host for the Windows tests: holds a file the way a host
// does while the installer runs. "hold" opens it without sharing, as a
// program that locks it; "load" maps it with LoadLibrary, as a host that has
// the plug-in loaded. Creates MARKER.ready once it holds the file and lets go
// when MARKER.release appears.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    const std::wstring mode = argv[1], file = argv[2], marker = argv[3];
    HANDLE held = INVALID_HANDLE_VALUE;
    HMODULE loaded = nullptr;
    if (mode == L"hold")
        held = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    else if (mode == L"load")
        loaded = LoadLibraryW(file.c_str());
    if (held == INVALID_HANDLE_VALUE && !loaded) return 3;
    CloseHandle(CreateFileW((marker + L".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    // Long enough for any machine; the test releases it far sooner.
    for (int waited = 0; waited < 600000 && GetFileAttributesW((marker + L".release").c_str()) == INVALID_FILE_ATTRIBUTES;
         waited += 10)
        Sleep(10);
    if (loaded) FreeLibrary(loaded);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    return 0;
}
