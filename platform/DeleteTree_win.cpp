// Not SHFileOperation: under Wine it loses a path longer than MAX_PATH inside the tree and then
// deletes the current folder's content instead. Here every name is an extended-length path.
#include "platform/DeleteTree.h"

#include <windows.h>

#include <algorithm>

#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

struct FindTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { FindClose(h); }
};

// "\\?\C:\..." or "\\?\UNC\server\share\..." without a trailing separator; empty when `path` is not full.
std::wstring extendedPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    std::wstring wide = toWide(path);
    if (wide.starts_with(L"\\\\?\\"))
        return wide;
    if (wide.size() >= 3 && iswalpha(wide[0]) && wide[1] == L':' && wide[2] == L'\\')
        return wide.size() == 3 ? std::wstring() : L"\\\\?\\" + wide; // never a whole drive
    if (wide.starts_with(L"\\\\") && wide.find(L'\\', 2) != std::wstring::npos)
        return L"\\\\?\\UNC\\" + wide.substr(2);
    return {};
}

bool removeFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str()))
        return true;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); // a read-only file goes as well
    return DeleteFileW(path.c_str()) != 0;
}

// A link to a folder is removed as the link; what it points to stays.
bool removeLink(const std::wstring& path) {
    return RemoveDirectoryW(path.c_str()) || removeFile(path);
}

bool removeTree(const std::wstring& folder) {
    bool ok = true;
    WIN32_FIND_DATAW data;
    UniqueHandle<FindTraits> find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                                   FindExSearchNameMatch, nullptr, 0));
    if (find) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                ok = removeLink(child) && ok;
            else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ok = removeTree(child) && ok;
            else
                ok = removeFile(child) && ok;
        } while (FindNextFileW(find.get(), &data));
    }
    if (!RemoveDirectoryW(folder.c_str())) {
        SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_DIRECTORY);
        ok = RemoveDirectoryW(folder.c_str()) && ok;
    }
    return ok;
}

} // namespace

bool deleteTree(const std::string& path) {
    std::wstring full = extendedPath(path);
    if (full.empty())
        return false;
    DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false; // nothing there, as the shell's delete reports it
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return removeLink(full);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return removeFile(full);
    return removeTree(full);
}

} // namespace kw
