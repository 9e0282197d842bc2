// A package as a search lists it, kept whole in one value of its row as well as in its columns: a search
// then reads three values a package instead of eleven. Through ODBC each value costs about the same
// whatever its length, and a search that matches thousands of packages felt every one of them.
#pragma once
#include <string>
#include <string_view>

#include "library/PackageLibrary.h"

namespace kw {

// Every field but the identity and the cabinet's place (which the row keeps apart, and which changes),
// with the computer's key by which lists are sorted.
std::string packageListing(const LibraryPackage& package, std::string_view computerKey);

// False for a listing that lacks a field: the package then keeps what it had.
bool readPackageListing(std::string_view listing, LibraryPackage& package, std::string& computerKey);

} // namespace kw
