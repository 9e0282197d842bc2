#include "products/SectionRows.h"

#include "products/LogCopies.h"

namespace kw {

std::vector<std::string> outputsOf(const CaptureRow& row) {
    std::string prefix(row.prefix), file(row.file);
    switch (row.kind) {
    case Capture::ByPath:
    case Capture::Locked:
    case Capture::Unicode:
        return {prefix + file};
    case Capture::Logs:
        if (!row.logs)
            return {};
        return {std::string(row.logs->table)};
    case Capture::ByFolder:
        return {"(" + prefix + ")" + file};
    case Capture::ExactCopy:
        return {file};
    case Capture::Permissions:
        return {"(cmd)(" + prefix + ")cacls.txt"};
    case Capture::Inventory:
    case Capture::Listing:
    case Capture::PackageInventory:
        return {"(" + prefix + ")Files.csv", "(cmd)(" + prefix + ")cacls.txt"};
    case Capture::Step:
        if (row.produces.empty())
            return {};
        return {std::string(row.produces)};
    }
    return {};
}

} // namespace kw
