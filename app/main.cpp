#include <windows.h>

#include "app/startup.h"
#include "app/system_info.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Libraries load from System32 only; nothing beside the program or in the current
    // directory is picked up.
    RestrictLibrarySearch();
    InitRegistryViewFlag();
    return RunTollerup(instance, showCommand);
}
