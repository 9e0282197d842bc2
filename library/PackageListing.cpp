#include "library/PackageListing.h"

#include <initializer_list>

namespace kw {
namespace {

// Each field ended by a tab; a tab or a backslash within one is escaped, so any text goes through.
void appendField(std::string& out, std::string_view field) {
    for (char c : field) {
        if (c == '\\' || c == '\t') {
            out += '\\';
            out += c == '\t' ? 't' : '\\';
        } else {
            out += c;
        }
    }
    out += '\t';
}

// The field from `at` to its tab, unescaped, and `at` past that tab; false when no field is left. A tab
// within a field is escaped, so the next tab ends it; most fields have nothing escaped and are copied
// whole, since a search reads ten thousand listings at a time.
bool nextField(std::string_view listing, size_t& at, std::string& field) {
    size_t tab = listing.find('\t', at);
    if (tab == std::string_view::npos)
        return false;
    std::string_view raw = listing.substr(at, tab - at);
    at = tab + 1;
    if (raw.find('\\') == std::string_view::npos) {
        field.assign(raw);
        return true;
    }
    field.clear();
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size())
            field += raw[++i] == 't' ? '\t' : raw[i];
        else
            field += raw[i];
    }
    return true;
}

} // namespace

std::string packageListing(const LibraryPackage& p, std::string_view computerKey) {
    std::string out;
    for (std::string_view field :
         {std::string_view(p.fileName), std::string_view(p.computer), computerKey, std::string_view(p.user),
          std::string_view(p.collected), std::string_view(p.collectedOrder),
          std::string_view(p.programVersion), std::string_view(p.windows)})
        appendField(out, field);
    // The finding codes after them, in order, as many as there are.
    for (const std::string& code : p.findingCodes)
        appendField(out, code);
    return out;
}

bool readPackageListing(std::string_view listing, LibraryPackage& p, std::string& computerKey) {
    size_t at = 0;
    for (std::string* field : {&p.fileName, &p.computer, &computerKey, &p.user, &p.collected,
                               &p.collectedOrder, &p.programVersion, &p.windows})
        if (!nextField(listing, at, *field))
            return false;
    p.findingCodes.clear();
    for (std::string code; nextField(listing, at, code);)
        p.findingCodes.push_back(std::move(code));
    return true;
}

} // namespace kw
