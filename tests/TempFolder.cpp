#include "tests/TempFolder.h"

#include "platform/FileSystem.h"

namespace kw::test {

std::string tempDir() {
    return windowsFileSystem().tempDirectory();
}

std::string readFileBytes(const std::string& path) {
    return windowsFileSystem().readFile(path).value_or("");
}

bool fileExists(const std::string& path) {
    return windowsFileSystem().plainFileExists(path);
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    windowsFileSystem().writeFile(path, bytes);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    for (size_t from = 0; from < text.size();) {
        size_t end = text.find("\r\n", from);
        if (end == std::string::npos)
            end = text.size();
        out.push_back(text.substr(from, end - from));
        from = end + 2;
    }
    return out;
}

} // namespace kw::test
