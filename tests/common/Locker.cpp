// Holds the file named on its command line open with no sharing until it is
// ended, so that tests can show what another program's lock does. Sets the
// event named second once the file is held. A third word "read" lets others
// read it meanwhile, as a virus scanner does, but not rename or delete it.
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return 2;
    const DWORD share = argc == 4 && std::string(argv[3]) == "read" ? FILE_SHARE_READ : 0;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (!held)
        return 1;
    SetEvent(held);
    Sleep(INFINITE);
    return 0;
}
