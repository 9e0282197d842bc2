// The run-time lookups: a module is loaded once and stays loaded for the life of the program.
#include "platform/OptionalFunctions.h"

namespace kw::optional_api {
namespace {

template <typename Fn> Fn lookUp(const wchar_t* module, const char* name) {
    HMODULE m = GetModuleHandleW(module);
    if (!m)
        m = LoadLibraryW(module);
    return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

} // namespace

IsWow64ProcessFn isWow64Process() {
    static const auto fn = lookUp<IsWow64ProcessFn>(L"kernel32.dll", "IsWow64Process");
    return fn;
}

DwmIsCompositionEnabledFn dwmIsCompositionEnabled() {
    static const auto fn = lookUp<DwmIsCompositionEnabledFn>(L"dwmapi.dll", "DwmIsCompositionEnabled");
    return fn;
}

DwmFlushFn dwmFlush() {
    static const auto fn = lookUp<DwmFlushFn>(L"dwmapi.dll", "DwmFlush");
    return fn;
}

DwmSetWindowAttributeFn dwmSetWindowAttribute() {
    static const auto fn = lookUp<DwmSetWindowAttributeFn>(L"dwmapi.dll", "DwmSetWindowAttribute");
    return fn;
}

} // namespace kw::optional_api
