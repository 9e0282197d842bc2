// What the library keeps of one result package, read from the package unpacked into a folder: who and
// when, the products it found, its findings, its members as its contents list gives them, and every row
// of its program-folder inventories.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "results/Findings.h"
#include "results/PackageManifest.h"

namespace kw {

struct ProductFact {
    std::string tag;     // the work-folder tag: "MIRTAL", "Peltrand"
    std::string version; // as the product's registry export gives it
    std::string folder;  // its install folder
};

// One inventory row. `folder` lies within the product's install folder where it does, so that the same
// installation on another drive or computer gives the same row.
struct InventoryFact {
    std::string tag;    // the table's tag: "MIRTAL_Bin"
    std::string folder; // the row's "Путь:", from the install folder on ("\Bin\") where it lies inside it
    std::string name;
    std::int64_t size = -1;
    std::string date, version, md5;
};

struct PackageFacts {
    std::string id;       // the cabinet's SHA-256, lower-case hex
    std::string fileName; // the cabinet's name, without its folder
    std::int64_t cabinetSize = 0;
    std::string computer, user;
    std::string collected;      // as the timing log writes it ("09.12.2026 18:50:48")
    std::string collectedOrder; // the same as "2026-12-09 18:50:48", for ordering; empty when unknown
    std::string programVersion; // "19.11.01k (01.11.2019)"
    std::string windows;        // the Windows line of "software.txt"
    std::vector<ProductFact> products;
    std::vector<Finding> findings;
    std::vector<ManifestRow> members;
    std::vector<InventoryFact> inventory;
};

// The facts of the package unpacked into `folder`; id, file name, cabinet size, findings and members are
// the caller's (it has checked the package and evaluated its findings).
void readPackageFacts(FileSystem& files, const std::string& folder, PackageFacts& facts);

// "dd.mm.yyyy hh:mm[:ss]" (any of . / - between the date's parts) as "yyyy-mm-dd hh:mm:ss"; empty when it
// is not such a text.
std::string sortableDate(std::string_view collected);

// Lower case for comparing names without regard to case (Latin and Cyrillic letters).
std::string foldedName(std::string_view text);

} // namespace kw
