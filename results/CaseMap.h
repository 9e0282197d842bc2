// The locale's lower case as a table of every UTF-16 unit, asked for once: a comparison that tests
// hundreds of thousands of cells without regard to case looks the letters up instead of asking the
// system for each cell.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kw {

class LowerCaseMap {
  public:
    LowerCaseMap();
    // What lowerText gives.
    std::wstring lower(std::wstring_view text) const;
    // True when the text holds `needle`, both in lower case.
    bool holds(std::wstring_view hay, std::wstring_view needle) const;

  private:
    wchar_t at(wchar_t c) const { return map_[static_cast<unsigned short>(c)]; }
    std::vector<wchar_t> map_;
};

} // namespace kw
