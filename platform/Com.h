// COM: initialisation of the apartment; the COM+ catalogue and the materials catalogue join here later.
#pragma once

namespace kw {

class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

} // namespace kw
