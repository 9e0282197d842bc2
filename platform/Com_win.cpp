// COM apartment for the thread that talks to COM servers.
#include "platform/Com.h"

#include <objbase.h>

namespace kw {

ComApartment::ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
ComApartment::~ComApartment() {
    if (ok_) CoUninitialize();
}

} // namespace kw
