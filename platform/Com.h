// COM: the apartment of a thread that talks to COM servers, and the COM+ administration catalogue
// read by the system section. The materials catalogue server joins here later.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>

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

// A failed COM call, with the error class and the system's message as the event log shows them.
class ComError : public std::runtime_error {
public:
    ComError(std::string errorClass, const std::string& message)
        : std::runtime_error(message), errorClass_(std::move(errorClass)) {}
    const std::string& errorClass() const { return errorClass_; }

private:
    std::string errorClass_;
};

// One object of a catalogue collection. Values are variants shown as text: numbers in decimal,
// booleans as -1 and 0.
class CatalogObject {
public:
    virtual ~CatalogObject() = default;
    virtual std::string name() = 0;
    virtual std::string key() = 0;
    virtual std::string value(const std::string& property) = 0;
};

class CatalogCollection {
public:
    virtual ~CatalogCollection() = default;
    virtual void populate() = 0;
    virtual long count() = 0;
    // Nothing when the entry is not a catalogue object.
    virtual std::unique_ptr<CatalogObject> item(long index) = 0;
    // A related collection of the object with this key ("Roles" of an application, and so on).
    virtual std::unique_ptr<CatalogCollection> collection(const std::string& name, const std::string& key) = 0;
};

class ComPlusCatalog {
public:
    virtual ~ComPlusCatalog() = default;
    virtual std::unique_ptr<CatalogCollection> collection(const std::string& name) = 0;
};

class Com {
public:
    virtual ~Com() = default;
    // "COMAdmin.COMAdminCatalog" on the calling thread; every call may throw ComError.
    virtual std::unique_ptr<ComPlusCatalog> openComPlusCatalog() = 0;
};

Com& windowsCom();

} // namespace kw
