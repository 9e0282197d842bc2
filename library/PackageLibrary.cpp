// Adding writes a package's rows with every value a parameter, its members and inventory rows as groups
// (GroupedRows.h) in batches of many rows a statement; a search is one statement whose conditions are
// subqueries over the indexes, reading each package's listing (PackageListing.h) with its codes.
#include "library/PackageLibrary.h"

#include <algorithm>
#include <deque>
#include <map>
#include <numeric>
#include <thread>
#include <tuple>

#include "library/GroupedRows.h"
#include "library/LibrarySchema.h"
#include "library/PackageListing.h"
#include "platform/Digest.h"
#include "platform/Text.h"

namespace kw {
namespace {

std::vector<SqlValue> values(std::initializer_list<SqlValue> v) {
    return v;
}

// "!" escapes the LIKE pattern's own characters: a version typed as "22.0_1" means just that.
std::string likeBeginning(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '!' || c == '%' || c == '_')
            out += '!';
        out += c;
    }
    return out + "%";
}

std::string fileKey(const InventoryFact& f) {
    return contentKey(f.tag + '\t' + f.folder + '\t' + f.name + '\t' + std::to_string(f.size) + '\t' +
                      f.date + '\t' + f.version + '\t' + f.md5);
}

constexpr const char* kPackageColumns = "SELECT p.id, p.listing, p.source_path FROM packages p";

std::string listingOf(const PackageFacts& p) {
    LibraryPackage listed{.fileName = p.fileName,
                          .computer = p.computer,
                          .user = p.user,
                          .collected = p.collected,
                          .collectedOrder = p.collectedOrder,
                          .programVersion = p.programVersion,
                          .windows = p.windows};
    for (const Finding& f : p.findings)
        listed.findingCodes.push_back(f.code);
    return packageListing(listed, foldedName(p.computer));
}

} // namespace

bool LibraryPlace::odbc() const {
    return text.size() >= 5 && sameTextIgnoringCase(std::string_view(text).substr(0, 5), "odbc:");
}

std::string LibraryPlace::connectionString() const {
    return odbc() ? text.substr(5) : std::string();
}

std::string LibraryPlace::shown() const {
    if (!odbc())
        return text;
    // The password stays out of every message.
    std::string out;
    for (const std::string& part : connectionParts(connectionString())) {
        std::string key = part.substr(0, part.find('='));
        bool secret = sameTextIgnoringCase(key, "pwd") || sameTextIgnoringCase(key, "password");
        out += (out.empty() ? "" : ";") + (secret ? key + "=********" : part);
    }
    return "odbc:" + out;
}

std::vector<std::string> connectionParts(std::string_view text) {
    std::vector<std::string> parts;
    std::string part;
    bool braced = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (braced) {
            part += c;
            if (c == '}') {
                if (i + 1 < text.size() && text[i + 1] == '}')
                    part += text[++i]; // "}}" stands for one
                else
                    braced = false;
            }
        } else if (c == ';') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            braced = c == '{' && !part.empty() && part.back() == '=';
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

std::string connectionValue(std::string_view value) {
    if (value.find_first_of(";{}= ") == std::string_view::npos)
        return std::string(value);
    std::string out = "{";
    for (char c : value)
        out += c == '}' ? std::string("}}") : std::string(1, c);
    return out + "}";
}

std::string contentKey(std::string_view text) {
    return sha256Hex(text).substr(0, 32);
}

PackageLibrary::PackageLibrary(const LibraryPlace& place)
    : db_(place.odbc() ? openOdbc(place.connectionString()) : openSqlite(place.text)) {
    // Two programs that make a new library at once: the one that loses the race finds it made.
    try {
        prepareLibrarySchema(*db_);
    } catch (const SqlError&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        prepareLibrarySchema(*db_);
    }
}

PackageLibrary::~PackageLibrary() = default;

AddState PackageLibrary::add(const PackageFacts& p, const std::string& sourcePath,
                             const std::string& addedAt) {
    SqlTransaction t(*db_);
    std::int64_t inserted = db_->execute(
        "INSERT INTO packages (id, file_name, cabinet_size, computer, computer_key, user_name, collected, "
        "collected_order, program_version, windows, added, source_path, listing) VALUES (?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING",
        values({p.id, p.fileName, p.cabinetSize, p.computer, foldedName(p.computer), p.user, p.collected,
                p.collectedOrder, p.programVersion, p.windows, addedAt, sourcePath, listingOf(p)}));
    if (inserted == 0) {
        relocate(p.id, sourcePath);
        t.commit();
        return AddState::AlreadyThere;
    }
    BatchInsert products(*db_, "INSERT INTO products (package_id, tag, tag_key, version, folder)", 5);
    for (const ProductFact& f : p.products)
        products.add({p.id, f.tag, foldedName(f.tag), f.version, f.folder});
    products.flush();
    BatchInsert findings(
        *db_, "INSERT INTO findings (package_id, seq, code, code_key, importance, problem, source)", 7);
    for (size_t i = 0; i < p.findings.size(); ++i) {
        const Finding& f = p.findings[i];
        findings.add({p.id, static_cast<std::int64_t>(i), f.code, foldedName(f.code),
                      std::string(importanceText(f.importance)), f.problem, f.source});
    }
    findings.flush();
    writeGroups(*db_, p.id, kMemberTables, memberGroups(p.members));
    // The rows of each folder of each table are a group.
    std::map<std::string, std::vector<GroupedRow>> groups;
    for (const InventoryFact& f : p.inventory) {
        std::string key = fileKey(f);
        groups[foldedName(f.tag) + '\t' + foldedName(f.folder)].push_back(
            {key, {key, f.tag, f.folder, f.name, foldedName(f.name), f.size, f.date, f.version, f.md5}});
    }
    writeGroups(*db_, p.id, kInventoryTables, groups);
    t.commit();
    return AddState::Added;
}

std::vector<LibraryPackage> PackageLibrary::select(const std::string& where, const std::vector<SqlValue>& v) {
    // With the computer's key; a deque, so that ten thousand packages are never moved to grow it.
    std::deque<std::pair<std::string, LibraryPackage>> found;
    db_->execute(std::string(kPackageColumns) + where, v, [&](SqlRow& r) {
        auto take = [&](size_t i) { return r[i] ? std::move(*r[i]) : std::string(); };
        auto& [key, package] = found.emplace_back();
        package.id = take(0);
        readPackageListing(r[1] ? std::string_view(*r[1]) : std::string_view(), package, key);
        package.sourcePath = take(2);
    });
    // The packages stay where they are; only their places are sorted.
    std::vector<std::size_t> order(found.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto& [keyA, packageA] = found[a];
        const auto& [keyB, packageB] = found[b];
        return std::tie(keyA, packageA.collectedOrder, packageA.id) <
               std::tie(keyB, packageB.collectedOrder, packageB.id);
    });
    std::vector<LibraryPackage> out;
    out.reserve(found.size());
    for (std::size_t i : order)
        out.push_back(std::move(found[i].second));
    return out;
}

bool PackageLibrary::has(const std::string& id) {
    bool found = false;
    db_->execute("SELECT 1 FROM packages WHERE id = ?", values({id}), [&](const SqlRow&) { found = true; });
    return found;
}

bool PackageLibrary::relocate(const std::string& id, const std::string& sourcePath) {
    return db_->execute("UPDATE packages SET source_path = ? WHERE id = ?", values({sourcePath, id})) > 0;
}

std::vector<std::string> PackageLibrary::packageIds() {
    std::vector<std::string> ids;
    db_->execute("SELECT id FROM packages", {}, [&](const SqlRow& r) { ids.push_back(r[0].value_or("")); });
    return ids;
}

std::optional<LibraryPackage> PackageLibrary::package(const std::string& id) {
    std::vector<LibraryPackage> one = select(" WHERE p.id = ?", values({id}));
    if (one.empty())
        return std::nullopt;
    return one.front();
}

std::vector<LibraryPackage> PackageLibrary::find(const LibraryFilter& f) {
    std::string where = " WHERE 1 = 1";
    std::vector<SqlValue> v;
    if (!f.computer.empty()) {
        where += " AND p.computer_key = ?";
        v.push_back(foldedName(f.computer));
    }
    if (!f.product.empty() || !f.version.empty()) {
        where += " AND p.id IN (SELECT x.package_id FROM products x WHERE 1 = 1";
        if (!f.product.empty()) {
            where += " AND x.tag_key = ?";
            v.push_back(foldedName(f.product));
        }
        if (!f.version.empty()) {
            where += " AND x.version LIKE ? ESCAPE '!'";
            v.push_back(likeBeginning(f.version));
        }
        where += ")";
    }
    if (!f.finding.empty()) {
        where += " AND p.id IN (SELECT y.package_id FROM findings y WHERE y.code_key = ?)";
        v.push_back(foldedName(f.finding));
    }
    const char* inventory =
        "SELECT g.package_id FROM files fl JOIN file_groups fg ON fg.file_id = fl.id JOIN "
        "package_groups g ON g.group_id = fg.group_id WHERE ";
    if (!f.file.empty()) {
        where += std::string(" AND p.id IN (") + inventory + "fl.name_key = ?)";
        v.push_back(foldedName(f.file));
    }
    if (!f.hash.empty()) {
        where +=
            std::string(" AND (p.id IN (") + inventory +
            "fl.md5 = ?) OR p.id IN (SELECT u.package_id FROM member_rows mr JOIN member_groups mg ON "
            "mg.member_id = mr.id JOIN package_member_groups u ON u.group_id = mg.group_id WHERE mr.sha256 = "
            "?))";
        v.push_back(foldedName(f.hash));
        v.push_back(foldedName(f.hash));
    }
    return select(where, v);
}

std::optional<LibraryPackage> PackageLibrary::previous(const LibraryPackage& package) {
    std::string id;
    db_->execute(
        "SELECT id FROM packages WHERE computer_key = ? AND collected_order < ? AND id <> ? ORDER BY "
        "collected_order DESC LIMIT 1",
        values({foldedName(package.computer), package.collectedOrder, package.id}),
        [&](const SqlRow& r) { id = r[0].value_or(""); });
    if (id.empty())
        return std::nullopt;
    return this->package(id);
}

std::int64_t PackageLibrary::packageCount() {
    std::int64_t n = 0;
    db_->execute("SELECT COUNT(*) FROM packages", {},
                 [&](const SqlRow& r) { n = std::stoll(r[0].value_or("0")); });
    return n;
}

} // namespace kw
