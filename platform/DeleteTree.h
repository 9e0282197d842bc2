// Removing a folder with everything below it, for the file system's deleteFolderTree.
#pragma once
#include <string>

namespace kw {

// Removes `path` (a folder, or a single file) and everything below it; links met on the way are
// removed, never followed. Only a full path is taken (a drive or a network share): an empty or
// relative one names nothing and is refused, so that the current folder can never be what goes.
// Paths of any length. True when nothing of it remains.
bool deleteTree(const std::string& path);

} // namespace kw
