// The support library: every received package indexed in a database (an SQLite file on the engineer's
// computer, or a server through ODBC for a team), found by computer, product, version, file or finding,
// and its predecessor of the same computer at hand. Window-free; the commands and the library window
// share it.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "library/PackageFacts.h"
#include "library/SqlConnection.h"

namespace kw {

// Where the library is: "odbc:" and a connection string, or the path of an SQLite file.
struct LibraryPlace {
    std::string text;
    bool odbc() const;
    std::string connectionString() const; // after "odbc:"
    // For messages: the file's path, or the connection string without its password.
    std::string shown() const;
};

enum class AddState { Added, AlreadyThere };

struct LibraryPackage {
    std::string id, fileName, computer, user, collected, collectedOrder, programVersion, windows;
    std::string sourcePath;                // where the cabinet was when it was last added
    std::vector<std::string> findingCodes; // in the package's order
};

// What a search asks; empty fields ask nothing. Every field given must hold.
struct LibraryFilter {
    std::string computer; // the computer's name, letter case ignored
    std::string product;  // a product's tag, letter case ignored
    std::string version;  // the beginning of that product's version (of any product's without a tag)
    std::string finding;  // a finding's code, letter case ignored
    std::string file;     // a file's name in any inventory, letter case ignored
    std::string hash;     // an MD5 in any inventory, or a SHA-256 in any contents list
};

class PackageLibrary {
  public:
    // Opens the library, creating or upgrading its tables; throws SqlError with the reason.
    explicit PackageLibrary(const LibraryPlace& place);
    ~PackageLibrary();
    PackageLibrary(const PackageLibrary&) = delete;
    PackageLibrary& operator=(const PackageLibrary&) = delete;

    // Indexes the package in one transaction, whole or not at all; a package already there (by its
    // identity) only learns where its cabinet is now. Throws SqlError.
    AddState add(const PackageFacts& facts, const std::string& sourcePath, const std::string& addedAt);
    bool has(const std::string& id);
    // A package already there learns where its cabinet is now; false when the library does not hold it.
    bool relocate(const std::string& id, const std::string& sourcePath);
    // The identities of every package held.
    std::vector<std::string> packageIds();
    std::optional<LibraryPackage> package(const std::string& id);
    // Ordered by computer and date.
    std::vector<LibraryPackage> find(const LibraryFilter& filter);
    // The latest package of the same computer collected before this one.
    std::optional<LibraryPackage> previous(const LibraryPackage& package);
    std::int64_t packageCount();

    SqlConnection& connection() { return *db_; }

  private:
    // Ordered by computer and date here rather than by the server, whose collation would sort the
    // engines' results differently and took longer than the search itself.
    std::vector<LibraryPackage> select(const std::string& where, const std::vector<SqlValue>& values);
    std::unique_ptr<SqlConnection> db_;
};

// The "key=value" parts of an ODBC connection string, a value in braces ("{a;b}") kept whole.
std::vector<std::string> connectionParts(std::string_view text);
// A value as a connection string holds it: in braces, "}" doubled, when it needs them.
std::string connectionValue(std::string_view value);

// A 32-hex-digit key of a text (the first half of its SHA-256).
std::string contentKey(std::string_view text);

} // namespace kw
