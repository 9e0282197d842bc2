#include "settings/IniFile.h"

#include <algorithm>
#include <charconv>

namespace kw {
namespace {

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

IniFile IniFile::parse(std::string_view text) {
    IniFile ini;
    Section* current = nullptr;
    while (!text.empty()) {
        size_t eol = text.find('\n');
        std::string_view line = trim(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            std::string_view name =
                trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            current = ini.find(name);
            if (!current) {
                ini.sections_.push_back({std::string(name), {}});
                current = &ini.sections_.back();
            }
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos)
            continue;
        std::string_view key = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        // The profile functions take the first occurrence of a key.
        bool seen = std::any_of(current->entries.begin(), current->entries.end(),
                                [&](const Entry& e) { return sameText(e.key, key); });
        if (!seen)
            current->entries.push_back({std::string(key), std::string(value)});
    }
    return ini;
}

IniFile::Section* IniFile::find(std::string_view name) {
    auto it = std::find_if(sections_.begin(), sections_.end(),
                           [&](const Section& s) { return sameText(s.name, name); });
    return it == sections_.end() ? nullptr : &*it;
}

const IniFile::Section* IniFile::find(std::string_view name) const {
    return const_cast<IniFile*>(this)->find(name);
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
    const Section* s = find(section);
    if (!s)
        return std::nullopt;
    for (const auto& e : s->entries)
        if (sameText(e.key, key))
            return e.value;
    return std::nullopt;
}

std::string IniFile::getString(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    auto v = get(section, key);
    return v ? *v : std::string(fallback);
}

int IniFile::getInt(std::string_view section, std::string_view key, int fallback) const {
    auto v = get(section, key);
    if (!v)
        return fallback;
    std::string_view s = *v;
    int result = 0;
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), result);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty())
        return fallback;
    return negative ? -result : result;
}

bool IniFile::getBool(std::string_view section, std::string_view key, bool fallback) const {
    return getInt(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = find(section);
    if (!s) {
        sections_.push_back({std::string(section), {}});
        s = &sections_.back();
    }
    for (auto& e : s->entries)
        if (sameText(e.key, key)) {
            e.value = value;
            return;
        }
    s->entries.push_back({std::string(key), std::string(value)});
}

std::string IniFile::text() const {
    std::string out;
    for (const auto& s : sections_) {
        if (!out.empty())
            out += "\r\n"; // sections are set apart by an empty line, as the profile functions do
        out += "[" + s.name + "]\r\n";
        for (const auto& e : s.entries)
            out += e.key + "=" + e.value + "\r\n";
    }
    return out;
}

} // namespace kw
