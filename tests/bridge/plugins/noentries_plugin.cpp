// noentries.spi: a loadable library that offers none of the plug-in entries.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
