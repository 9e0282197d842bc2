// Functions that some Windows versions lack, looked up at run time in one place: Windows XP has no dwmapi,
// and IsWow64Process came with XP SP2. Each returns nullptr where the system has none.
#pragma once
#include <windows.h>

namespace kw::optional_api {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using DwmFlushFn = HRESULT(WINAPI*)();
using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

IsWow64ProcessFn isWow64Process();
DwmIsCompositionEnabledFn dwmIsCompositionEnabled();
DwmFlushFn dwmFlush();
DwmSetWindowAttributeFn dwmSetWindowAttribute();

} // namespace kw::optional_api
