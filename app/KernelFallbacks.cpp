// The threading runtime linked into the program imports three kernel functions
// that older Windows lack: GetTickCount64 (Vista) and the vectored exception
// handler pair (XP). A missing import stops the loader before the program starts,
// so the program fills those import slots itself, each with a function that calls
// the system's own where it exists. The linker then takes these slots and never
// asks kernel32 for the functions. Linked into the executable only, as an object
// of its own: from a library it would come too late to be chosen.
#include <windows.h>

namespace {

// The system's own function `name`, or null where this Windows lacks it.
void* Kernel(const char* name)
{
    return (void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
}

// Before Vista, the 32-bit count: it wraps after 49.7 days, and the runtime only
// measures short timeouts with it.
ULONGLONG WINAPI TickCount64()
{
    auto real = (ULONGLONG(WINAPI*)())Kernel("GetTickCount64");
    return real ? real() : GetTickCount();
}

// Before XP, no handler: the runtime then skips naming threads, its only use.
PVOID WINAPI AddVectoredHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler)
{
    auto real = (PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER))Kernel("AddVectoredExceptionHandler");
    return real ? real(first, handler) : nullptr;
}

ULONG WINAPI RemoveVectoredHandler(PVOID handle)
{
    auto real = (ULONG(WINAPI*)(PVOID))Kernel("RemoveVectoredExceptionHandler");
    return real ? real(handle) : 0;
}

} // namespace

// The import slots, under the names the runtime's objects refer to.
extern "C" {
void* g_importTickCount64 __asm__("__imp__GetTickCount64@0") = (void*)&TickCount64;
void* g_importAddVectored __asm__("__imp__AddVectoredExceptionHandler@8") = (void*)&AddVectoredHandler;
void* g_importRemoveVectored __asm__("__imp__RemoveVectoredExceptionHandler@4") = (void*)&RemoveVectoredHandler;
}
