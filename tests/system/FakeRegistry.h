// An in-memory registry for section tests: keys by root, view and path (without regard to case), values
// and subkeys in the order they were added, the way a real registry enumerates them.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "platform/Registry.h"
#include "platform/Text.h"

namespace kw::test {

class FakeRegistry final : public Registry {
  public:
    bool wow64 = true;

    // Creates the key (and its parents) in a view.
    RegistryKeyContents& key(RegistryRoot root, const std::string& path,
                             RegistryView view = RegistryView::Default) {
        std::string p = normal(path);
        std::string parent;
        std::size_t start = 0;
        while (true) {
            std::size_t slash = p.find('\\', start);
            std::string part =
                p.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
            std::string here = parent.empty() ? part : parent + "\\" + part;
            auto [it, added] = keys_.try_emplace(id(root, here, view));
            if (added && !parent.empty())
                keys_[id(root, parent, view)].subkeys.push_back(part);
            if (added && parent.empty())
                roots_[{root, view}].subkeys.push_back(part);
            parent = here;
            if (slash == std::string::npos)
                return it->second;
            start = slash + 1;
        }
    }

    void setString(RegistryRoot root, const std::string& path, const std::string& name,
                   const std::string& text, RegistryView view = RegistryView::Default) {
        std::wstring w = toWide(text);
        std::string data(reinterpret_cast<const char*>(w.c_str()), (w.size() + 1) * 2);
        key(root, path, view).values.push_back({name, kRegSz, data});
    }
    void setDword(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t v,
                  RegistryView view = RegistryView::Default) {
        std::string data{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                         static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
        key(root, path, view).values.push_back({name, kRegDword, data});
    }
    void setMulti(RegistryRoot root, const std::string& path, const std::string& name,
                  const std::vector<std::string>& strings, RegistryView view = RegistryView::Default) {
        std::wstring w;
        for (const std::string& s : strings)
            w += toWide(s) + L'\0';
        w += L'\0';
        key(root, path, view)
            .values.push_back(
                {name, kRegMultiSz, std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2)});
    }

    std::optional<std::string> readString(RegistryRoot root, const std::string& k, const std::string& value,
                                          RegistryView view) override {
        RegistryRead r = readValue(root, k, value, view);
        if (r.status != RegistryStatus::Ok || (r.value.type != kRegSz && r.value.type != kRegExpandSz))
            return std::nullopt;
        return registryStringOf(r.value.data);
    }
    std::optional<RegistryKeyContents> readKey(RegistryRoot root, const std::string& k,
                                               RegistryView view) override {
        auto it = keys_.find(id(root, normal(k), view));
        if (it == keys_.end())
            return std::nullopt;
        return it->second;
    }
    RegistryRead readValue(RegistryRoot root, const std::string& k, const std::string& value,
                           RegistryView view) override {
        auto it = keys_.find(id(root, normal(k), view));
        if (it == keys_.end())
            return {RegistryStatus::NoKey, {}, 2};
        for (const RegistryValue& v : it->second.values)
            if (sameTextIgnoringCase(v.name, value))
                return {RegistryStatus::Ok, v, 0};
        return {RegistryStatus::NoValue, {}, 2};
    }
    bool isWow64() override { return wow64; }

  private:
    using Id = std::tuple<RegistryRoot, RegistryView, std::string>;
    static std::string normal(std::string p) {
        while (!p.empty() && p.front() == '\\')
            p.erase(p.begin());
        while (!p.empty() && p.back() == '\\')
            p.pop_back();
        for (char& c : p)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
        return p;
    }
    Id id(RegistryRoot root, const std::string& p, RegistryView view) {
        // On 32-bit Windows there is one view only.
        if (!wow64)
            view = RegistryView::Default;
        return {root, view, normal(p)};
    }
    std::map<Id, RegistryKeyContents> keys_;
    std::map<std::pair<RegistryRoot, RegistryView>, RegistryKeyContents> roots_;
};

} // namespace kw::test
