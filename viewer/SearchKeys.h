// Ctrl+F and F3 pressed in a control of the results area start its search instead of reaching the control.
#pragma once
#include <windows.h>

#include <functional>

namespace kw {

// Subclasses `control`: the keys go to *handler when it holds a function. The handler is read at each
// key, so it may be set later; it must outlive the control.
void routeSearchKeys(HWND control, const std::function<void(UINT key)>* handler);

} // namespace kw
