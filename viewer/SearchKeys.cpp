// The search keys of the results area's controls, through a window subclass.
#include "viewer/SearchKeys.h"

#include <commctrl.h>

namespace kw {
namespace {

LRESULT CALLBACK searchKeyProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    const auto* handler = reinterpret_cast<const std::function<void(UINT)>*>(data);
    if (msg == WM_KEYDOWN && ((GetKeyState(VK_CONTROL) < 0 && wp == 'F') || wp == VK_F3) && *handler) {
        (*handler)(static_cast<UINT>(wp));
        return 0;
    }
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(w, searchKeyProc, 1);
    return DefSubclassProc(w, msg, wp, lp);
}

} // namespace

void routeSearchKeys(HWND control, const std::function<void(UINT key)>* handler) {
    SetWindowSubclass(control, searchKeyProc, 1, reinterpret_cast<DWORD_PTR>(handler));
}

} // namespace kw
