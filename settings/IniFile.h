// A small INI reader/writer with the profile functions' rules: section and key names compare without
// regard to case, any number other than 0 is true, a value that is not a number gives the default.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

class IniFile {
  public:
    static IniFile parse(std::string_view text); // UTF-8 text, any line ends

    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    std::string getString(std::string_view section, std::string_view key, std::string_view fallback) const;
    int getInt(std::string_view section, std::string_view key, int fallback) const;
    bool getBool(std::string_view section, std::string_view key, bool fallback) const;

    // Appends in call order; a section named again continues where it was.
    void set(std::string_view section, std::string_view key, std::string_view value);
    std::string text() const; // CR LF line ends, sections in first-use order

  private:
    struct Entry {
        std::string key, value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    Section* find(std::string_view name);
    const Section* find(std::string_view name) const;

    std::vector<Section> sections_;
};

} // namespace kw
