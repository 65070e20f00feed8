// Names for screen readers.  A screen reader names a control by its text,
// an edit field by the text before it; where that says nothing (a picture,
// "...", a field after a button, a list), the system's accessibility
// property service gives the control a name of its own, its text unchanged.
// The service comes with Windows from XP on; without it the controls keep
// the names their texts give them.
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <vector>

#include "runtime/gadget.h"
#include "runtime/gadget_internal.h"
#include "runtime/unicode.h"

namespace {

constexpr GUID ACC_PROP_SERVICES = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID ACC_PROP_SERVICES_INTERFACE = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID ACC_NAME = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

struct Annotations {
    bool com_started = false;
    IAccPropServices* service = nullptr;
    std::vector<HWND> named;
};

Annotations annotations;

IAccPropServices* property_service() {
    if (annotations.service) return annotations.service;
    if (!annotations.com_started) annotations.com_started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(CoCreateInstance(ACC_PROP_SERVICES, nullptr, CLSCTX_INPROC_SERVER, ACC_PROP_SERVICES_INTERFACE,
                                reinterpret_cast<void**>(&annotations.service))))
        annotations.service = nullptr;
    return annotations.service;
}

void clear_name(HWND control) {
    MSAAPROPID property = ACC_NAME;
    annotations.service->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &property, 1);
}

}  // namespace

void set_accessible_name(int gadget, const std::string& name) {
    HWND control = gadget_handle(gadget);
    IAccPropServices* service = control ? property_service() : nullptr;
    if (!service) return;
    std::wstring text = wide(name);
    if (SUCCEEDED(service->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, ACC_NAME, text.c_str())) &&
        std::find(annotations.named.begin(), annotations.named.end(), control) == annotations.named.end())
        annotations.named.push_back(control);
}

void forget_accessible_name(HWND control) {
    auto at = std::find(annotations.named.begin(), annotations.named.end(), control);
    if (at == annotations.named.end()) return;
    clear_name(control);
    annotations.named.erase(at);
}

void release_accessible_names() {
    if (annotations.service) {
        for (HWND control : annotations.named) clear_name(control);
        annotations.service->Release();
    }
    if (annotations.com_started) CoUninitialize();
    annotations = Annotations{};
}
