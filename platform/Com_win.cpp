// COM apartment and the COM+ administration catalogue through its documented interfaces.
#include "platform/Com.h"

#include <objbase.h>
// The catalogue interface identifiers are defined here, not taken from a library.
#include <initguid.h>

#include <comadmin.h>
#include <oleauto.h>

#include "platform/Text.h"

namespace kw {

ComApartment::ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
ComApartment::~ComApartment() {
    if (ok_)
        CoUninitialize();
}

namespace {

[[noreturn]] void throwFor(HRESULT hr) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? toUtf8(text) : std::string();
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    if (message.empty()) {
        char code[32];
        snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(hr));
        message = std::string("Ошибка COM ") + code;
    }
    throw ComError("EOleSysError", message);
}

void check(HRESULT hr) {
    if (FAILED(hr))
        throwFor(hr);
}

// Owning pointer of a COM interface.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }

  private:
    T* p_ = nullptr;
};

class Bstr {
  public:
    explicit Bstr(const std::string& text) : b_(SysAllocString(toWide(text).c_str())) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }

  private:
    BSTR b_;
};

class Variant {
  public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* out() {
        VariantClear(&v_);
        return &v_;
    }
    const VARIANT& get() const { return v_; }

    std::string text() const {
        if (v_.vt == VT_BOOL)
            return v_.boolVal ? "-1" : "0";
        if (v_.vt == VT_EMPTY || v_.vt == VT_NULL)
            return {};
        if (v_.vt == VT_BSTR)
            return v_.bstrVal ? toUtf8(v_.bstrVal) : std::string();
        VARIANT copy;
        VariantInit(&copy);
        // Invariant locale: numbers without grouping or locale digits.
        if (FAILED(VariantChangeTypeEx(&copy, const_cast<VARIANT*>(&v_), LOCALE_INVARIANT, 0, VT_BSTR)))
            return {};
        std::string result = copy.bstrVal ? toUtf8(copy.bstrVal) : std::string();
        VariantClear(&copy);
        return result;
    }

  private:
    VARIANT v_;
};

class WindowsCatalogObject final : public CatalogObject {
  public:
    explicit WindowsCatalogObject(ComPtr<ICatalogObject> object) : object_(std::move(object)) {}
    std::string name() override {
        Variant v;
        check(object_->get_Name(v.out()));
        return v.text();
    }
    std::string key() override {
        Variant v;
        check(object_->get_Key(v.out()));
        return v.text();
    }
    std::string value(const std::string& property) override {
        Bstr name(property);
        Variant v;
        check(object_->get_Value(name.get(), v.out()));
        return v.text();
    }

  private:
    ComPtr<ICatalogObject> object_;
};

class WindowsCatalogCollection final : public CatalogCollection {
  public:
    explicit WindowsCatalogCollection(ComPtr<ICatalogCollection> collection)
        : collection_(std::move(collection)) {}

    static std::unique_ptr<CatalogCollection> fromDispatch(IDispatch* dispatch) {
        ComPtr<ICatalogCollection> collection;
        HRESULT hr =
            dispatch->QueryInterface(IID_ICatalogCollection, reinterpret_cast<void**>(collection.out()));
        dispatch->Release();
        check(hr);
        return std::make_unique<WindowsCatalogCollection>(std::move(collection));
    }

    void populate() override { check(collection_->Populate()); }
    long count() override {
        LONG n = 0;
        check(collection_->get_Count(&n));
        return n;
    }
    std::unique_ptr<CatalogObject> item(long index) override {
        IDispatch* dispatch = nullptr;
        check(collection_->get_Item(index, &dispatch));
        if (!dispatch)
            return nullptr;
        ComPtr<ICatalogObject> object;
        HRESULT hr = dispatch->QueryInterface(IID_ICatalogObject, reinterpret_cast<void**>(object.out()));
        dispatch->Release();
        if (FAILED(hr))
            return nullptr;
        return std::make_unique<WindowsCatalogObject>(std::move(object));
    }
    std::unique_ptr<CatalogCollection> collection(const std::string& name, const std::string& key) override {
        Bstr collectionName(name);
        VARIANT keyValue;
        VariantInit(&keyValue);
        keyValue.vt = VT_BSTR;
        keyValue.bstrVal = SysAllocString(toWide(key).c_str());
        IDispatch* dispatch = nullptr;
        HRESULT hr = collection_->GetCollection(collectionName.get(), keyValue, &dispatch);
        VariantClear(&keyValue);
        check(hr);
        return fromDispatch(dispatch);
    }

  private:
    ComPtr<ICatalogCollection> collection_;
};

class WindowsComPlusCatalog final : public ComPlusCatalog {
  public:
    WindowsComPlusCatalog() {
        CLSID clsid;
        check(CLSIDFromProgID(L"COMAdmin.COMAdminCatalog", &clsid));
        check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                               IID_ICOMAdminCatalog, reinterpret_cast<void**>(catalog_.out())));
    }
    std::unique_ptr<CatalogCollection> collection(const std::string& name) override {
        Bstr collectionName(name);
        IDispatch* dispatch = nullptr;
        check(catalog_->GetCollection(collectionName.get(), &dispatch));
        return WindowsCatalogCollection::fromDispatch(dispatch);
    }

  private:
    ComApartment apartment_; // first in, last out: the catalogue is released before the apartment
    ComPtr<ICOMAdminCatalog> catalog_;
};

// The server's interface is its own: its method at position 19 of the method table (the three of IUnknown
// counted) takes a pointer to a 32-bit integer and stores the connection status there.
constexpr CLSID kMaterialsServer = {
    0x418F55FF, 0xBD08, 0x42FC, {0x9E, 0xCB, 0xD2, 0x88, 0xB3, 0xFD, 0xF1, 0x48}};
constexpr IID kMaterialsInterface = {
    0xB57C3F55, 0x8C78, 0x437F, {0xAE, 0xFD, 0x91, 0x1F, 0xC1, 0xA3, 0x61, 0x7A}};
constexpr int kConnectionStatusSlot = 19;

class WindowsMaterialsCatalog final : public MaterialsCatalog {
  public:
    WindowsMaterialsCatalog() {
        ComPtr<IUnknown> object;
        check(CoCreateInstance(kMaterialsServer, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER,
                               IID_IUnknown, reinterpret_cast<void**>(object.out())));
        check(object->QueryInterface(kMaterialsInterface, reinterpret_cast<void**>(server_.out())));
    }
    long connectionStatus() override {
        using Method = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, LONG*);
        void** table = *reinterpret_cast<void***>(server_.get());
        LONG status = 0;
        check(reinterpret_cast<Method>(table[kConnectionStatusSlot])(server_.get(), &status));
        return status;
    }

  private:
    ComPtr<IUnknown> server_; // the interface pointer, released with this object
};

class WindowsCom final : public Com {
  public:
    std::unique_ptr<ComPlusCatalog> openComPlusCatalog() override {
        return std::make_unique<WindowsComPlusCatalog>();
    }
    std::unique_ptr<MaterialsCatalog> openMaterialsCatalog() override {
        return std::make_unique<WindowsMaterialsCatalog>();
    }
};

} // namespace

Com& windowsCom() {
    static WindowsCom instance;
    return instance;
}

} // namespace kw
