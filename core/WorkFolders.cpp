#include "core/WorkFolders.h"

namespace kw {

bool isAbsolutePath(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) {
        char drive = static_cast<char>(path[0] | 0x20);
        return drive >= 'a' && drive <= 'z';
    }
    return path.rfind("\\\\", 0) == 0;
}

std::string collapseSeparators(const std::string& path) {
    // A network path keeps its leading "\\"; doubled separators after it are collapsed.
    bool network = path.starts_with("\\\\");
    std::string out = network ? "\\\\" : "";
    for (char c : std::string_view(path).substr(network ? 2 : 0)) {
        if (c == '\\' && !out.empty() && out.back() == '\\')
            continue;
        out.push_back(c);
    }
    return out;
}

void WorkFolders::CreateWorkFolder(const std::string& name) {
    std::string path = collapseSeparators(GetTempDirectory() + name);
    if (files_.folderExists(path)) {
        log_.append("\r\nвременный каталог уже существует: " + path);
    } else if (files_.createFolder(path)) {
        log_.append("\r\nсоздан временный каталог: " + path);
    } else {
        log_.append("\r\n!!! не удалось создать временный каталог: " + path);
    }
}

} // namespace kw
