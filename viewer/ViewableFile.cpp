#include "viewer/ViewableFile.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace kw {
namespace {

// The screenshots first; then the plain texts the shell shows in an editor. Rich text, tables, markup
// and web pages are left out: the programs that open them can run what they embed.
constexpr std::string_view kViewable[] = {".jpg", ".jpeg", ".bmp", ".png", ".gif",
                                          ".txt", ".log",  ".ini", ".cfg"};

} // namespace

bool isViewableFile(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string ext(name.substr(dot));
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(std::begin(kViewable), std::end(kViewable), ext) != std::end(kViewable);
}

} // namespace kw
