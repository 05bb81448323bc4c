#include "win/Accessibility.h"

#include <oleacc.h>

#include "win/SystemLibrary.h"
#include "win/Unicode.h"

namespace {

const GUID kClsidAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const GUID kIidAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kPropIdAccName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

// The annotation service, made once on the user-interface thread; null where
// the system has none. COM comes from the system folder, loaded only when
// the first control is named.
IAccPropServices* PropServices()
{
    static IAccPropServices* services = [] {
        using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
        using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
        HMODULE ole = LoadSystemLibrary("ole32.dll");
        auto initialize = LibraryFunction<CoInitializeExFn>(ole, "CoInitializeEx");
        auto create = LibraryFunction<CoCreateInstanceFn>(ole, "CoCreateInstance");
        IAccPropServices* made = nullptr;
        if (initialize && create && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED)))
            create(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices, (void**)&made);
        return made;
    }();
    return services;
}

// Gives `control` the accessible name `name` through the annotation service,
// where the system has one.
void AnnotateName(HWND control, const std::string& name)
{
    if (IAccPropServices* services = PropServices())
        services->SetHwndPropStr(control, (DWORD)OBJID_CLIENT, CHILDID_SELF, kPropIdAccName, Wide(name).c_str());
}

} // namespace

void AnnounceNameChange(HWND control)
{
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

void AnnotateNameFromLabel(HWND control)
{
    HWND label = GetWindow(control, GW_HWNDPREV);
    if (!label)
        return;
    std::wstring text(GetWindowTextLengthW(label) + 1, L'\0');
    text.resize(GetWindowTextW(label, &text[0], (int)text.size()));
    // As screen readers say it: a mnemonic's ampersand is not read, "&&" is one.
    std::wstring name;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && ++i == text.size())
            break;
        name += text[i];
    }
    AnnotateName(control, Utf8(name));
}
