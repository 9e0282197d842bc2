// Where the support library is, as the settings file remembers it (the server's password restored from
// the system's data protection), and how a place chosen by the engineer is remembered.
#pragma once
#include "library/PackageLibrary.h"
#include "platform/FileSystem.h"
#include "settings/Settings.h"

namespace kw {

// The library's file name where nothing else is said.
inline constexpr const char* kLibraryFileName = "KW_Library.sqlite";

// From the settings: their place with its password, else "KW_Library.sqlite" beside the program.
LibraryPlace libraryPlaceOf(const LibrarySettings& settings, FileSystem& files);
// The same from the settings file in the temporary folder.
LibraryPlace rememberedLibraryPlace(FileSystem& files);
// Keeps the place in the settings: an ODBC string without its password, which is kept protected instead.
// False when the system would not protect the password (then nothing changes).
bool rememberLibraryPlace(const LibraryPlace& place, LibrarySettings& settings);

} // namespace kw
