#include "tests/TempFolder.h"

#include "platform/FileSystem.h"

namespace kw::test {

std::string tempDir() { return windowsFileSystem().tempDirectory(); }

std::string readFileBytes(const std::string& path) { return windowsFileSystem().readFile(path).value_or(""); }

bool fileExists(const std::string& path) { return windowsFileSystem().plainFileExists(path); }

void writeFileBytes(const std::string& path, const std::string& bytes) { windowsFileSystem().writeFile(path, bytes); }

} // namespace kw::test
