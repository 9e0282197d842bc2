// An in-memory COM+ catalogue: applications with properties, roles with users, components. Wine has none.
#pragma once
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Com.h"

namespace kw::test {

struct FakeCatalogEntry {
    std::string name, key;
    std::map<std::string, std::string> values;
    bool notAnObject = false; // an entry the catalogue gives back that is not a catalogue object
};

struct FakeComPlusData {
    std::vector<FakeCatalogEntry> applications;
    // (collection name, parent key) -> entries
    std::map<std::pair<std::string, std::string>, std::vector<FakeCatalogEntry>> related;
    bool unavailable = false;      // the catalogue class is not registered
    std::string failingCollection; // GetCollection of this name fails
    int opened = 0;
};

class FakeObject final : public CatalogObject {
  public:
    explicit FakeObject(FakeCatalogEntry e) : e_(std::move(e)) {}
    std::string name() override { return e_.name; }
    std::string key() override { return e_.key; }
    std::string value(const std::string& p) override {
        if (p == "Name" && !e_.values.count(p))
            return e_.name;
        return e_.values.count(p) ? e_.values.at(p) : std::string();
    }

  private:
    FakeCatalogEntry e_;
};

class FakeCollection final : public CatalogCollection {
  public:
    FakeCollection(FakeComPlusData& data, std::vector<FakeCatalogEntry> entries)
        : data_(data), entries_(std::move(entries)) {}
    void populate() override { populated_ = true; }
    long count() override { return populated_ ? static_cast<long>(entries_.size()) : 0; }
    std::unique_ptr<CatalogObject> item(long i) override {
        const FakeCatalogEntry& e = entries_.at(static_cast<std::size_t>(i));
        if (e.notAnObject)
            return nullptr;
        return std::make_unique<FakeObject>(e);
    }
    std::unique_ptr<CatalogCollection> collection(const std::string& name, const std::string& key) override {
        if (name == data_.failingCollection)
            throw ComError("EOleSysError", "Сбой при чтении " + name);
        auto it = data_.related.find({name, key});
        return std::make_unique<FakeCollection>(
            data_, it == data_.related.end() ? std::vector<FakeCatalogEntry>{} : it->second);
    }

  private:
    FakeComPlusData& data_;
    std::vector<FakeCatalogEntry> entries_;
    bool populated_ = false;
};

class FakeCatalog final : public ComPlusCatalog {
  public:
    explicit FakeCatalog(FakeComPlusData& data) : data_(data) {}
    std::unique_ptr<CatalogCollection> collection(const std::string& name) override {
        return std::make_unique<FakeCollection>(
            data_, name == "Applications" ? data_.applications : std::vector<FakeCatalogEntry>{});
    }

  private:
    FakeComPlusData& data_;
};

// The materials server as a test describes it: the statuses it gives, call by call, and where it fails.
struct FakeMaterialsServer {
    bool registered = true;     // else creating the object fails
    bool castRefused = false;   // the object lacks the interface
    std::vector<long> statuses; // one per call; the last one repeats
    int failAtCall = -1;        // the call (from 0) that fails
    int calls = 0, alive = 0;   // calls made; objects not yet released
};

class FakeMaterialsCatalog final : public MaterialsCatalog {
  public:
    explicit FakeMaterialsCatalog(FakeMaterialsServer& s) : s_(s) { ++s_.alive; }
    ~FakeMaterialsCatalog() override { --s_.alive; }
    long connectionStatus() override {
        int call = s_.calls++;
        if (call == s_.failAtCall)
            throw ComError("EOleException", "Сервер не отвечает");
        if (s_.statuses.empty())
            return 0;
        return s_.statuses[std::min<size_t>(static_cast<size_t>(call), s_.statuses.size() - 1)];
    }

  private:
    FakeMaterialsServer& s_;
};

class FakeCom final : public Com {
  public:
    FakeComPlusData data;
    FakeMaterialsServer materials;
    std::unique_ptr<ComPlusCatalog> openComPlusCatalog() override {
        ++data.opened;
        if (data.unavailable)
            throw ComError("EOleSysError", "Класс не зарегистрирован");
        return std::make_unique<FakeCatalog>(data);
    }
    std::unique_ptr<MaterialsCatalog> openMaterialsCatalog() override {
        if (!materials.registered)
            throw ComError("EOleSysError", "Класс не зарегистрирован");
        if (materials.castRefused)
            throw ComError("EIntfCastError", "Интерфейс не поддерживается");
        return std::make_unique<FakeMaterialsCatalog>(materials);
    }
};

} // namespace kw::test
