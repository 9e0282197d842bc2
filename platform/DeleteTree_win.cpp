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

// "\\?\C:\..." or "\\?\UNC\server\share\..." without a trailing separator, "." or ".." or doubled
// separators; empty when `path` is not a full path of a folder below a drive or a share.
std::wstring extendedPath(const std::string& path) {
    std::wstring wide = toWide(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    bool drive = wide.size() > 3 && iswalpha(wide[0]) && wide[1] == L':' && wide[2] == L'\\';
    bool share = wide.starts_with(L"\\\\") && !wide.starts_with(L"\\\\?\\") &&
                 wide.find(L'\\', 2) != std::wstring::npos;
    if (wide.starts_with(L"\\\\?\\"))
        return wide;
    if (!drive && !share)
        return {};
    // Only a full path reaches here, so the current folder plays no part in what comes back.
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    DWORD got = size ? GetFullPathNameW(wide.c_str(), size, full.data(), nullptr) : 0;
    if (got == 0 || got >= size)
        return {};
    full.resize(got);
    while (!full.empty() && full.back() == L'\\')
        full.pop_back();
    if (full.size() <= 2) // a whole drive ("C:") is never a folder tree to delete
        return {};
    return share ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
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
