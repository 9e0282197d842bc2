// COM: the apartment of a thread that talks to COM servers, the COM+ administration catalogue read by
// the system section, and the materials catalogue server that the materials section asks.
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
    virtual std::unique_ptr<CatalogCollection> collection(const std::string& name,
                                                          const std::string& key) = 0;
};

class ComPlusCatalog {
  public:
    virtual ~ComPlusCatalog() = default;
    virtual std::unique_ptr<CatalogCollection> collection(const std::string& name) = 0;
};

// The materials catalogue server of TAVIR ({418F55FF-BD08-42FC-9ECB-D288B3FDF148}) through its interface
// {B57C3F55-8C78-437F-AEFD-911FC1A3617A}; released with the object.
class MaterialsCatalog {
  public:
    virtual ~MaterialsCatalog() = default;
    // The server's status of its connections to its databases, asked anew at every call; throws ComError.
    virtual long connectionStatus() = 0;
};

class Com {
  public:
    virtual ~Com() = default;
    // "COMAdmin.COMAdminCatalog" on the calling thread; every call may throw ComError.
    virtual std::unique_ptr<ComPlusCatalog> openComPlusCatalog() = 0;
    // Creates the server's object and casts it to its interface; throws ComError when either fails.
    virtual std::unique_ptr<MaterialsCatalog> openMaterialsCatalog() = 0;
};

Com& windowsCom();

} // namespace kw
