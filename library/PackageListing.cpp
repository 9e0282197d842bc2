#include "library/PackageListing.h"

#include <vector>

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

std::vector<std::string> fieldsOf(std::string_view listing) {
    std::vector<std::string> fields;
    std::string field;
    for (size_t i = 0; i < listing.size(); ++i) {
        char c = listing[i];
        if (c == '\t') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\\' && i + 1 < listing.size()) {
            field += listing[++i] == 't' ? '\t' : listing[i];
        } else {
            field += c;
        }
    }
    return fields;
}

constexpr size_t kFixedFields = 8;

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
    std::vector<std::string> f = fieldsOf(listing);
    if (f.size() < kFixedFields)
        return false;
    p.fileName = std::move(f[0]);
    p.computer = std::move(f[1]);
    computerKey = std::move(f[2]);
    p.user = std::move(f[3]);
    p.collected = std::move(f[4]);
    p.collectedOrder = std::move(f[5]);
    p.programVersion = std::move(f[6]);
    p.windows = std::move(f[7]);
    p.findingCodes.assign(std::make_move_iterator(f.begin() + kFixedFields),
                          std::make_move_iterator(f.end()));
    return true;
}

} // namespace kw
