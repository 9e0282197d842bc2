#include "library/MemoryFolder.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "library/PackageFacts.h"
#include "platform/Text.h"

namespace kw {
namespace {

class MemoryReader final : public FileReader {
  public:
    explicit MemoryReader(std::string_view bytes) : bytes_(bytes) {}
    std::int64_t read(char* buf, std::size_t size) override {
        std::size_t n = std::min(size, bytes_.size() - at_);
        std::memcpy(buf, bytes_.data() + at_, n);
        at_ += n;
        return static_cast<std::int64_t>(n);
    }
    FileError error() const override { return {}; }
    std::int64_t size() override { return static_cast<std::int64_t>(bytes_.size()); }

  private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

FileError notFound(const std::string& path) {
    return {ERROR_FILE_NOT_FOUND, "файл " + path + " не найден"};
}

} // namespace

MemoryFolder::MemoryFolder(std::string folder, std::vector<UnpackedMember> members)
    : folder_(std::move(folder)), members_(std::move(members)) {
    for (size_t i = 0; i < members_.size(); ++i)
        byFoldedName_.emplace(foldedName(members_[i].name), i);
}

FileError MemoryFolder::readOnly() {
    return {ERROR_ACCESS_DENIED, "файлы пакета в памяти только читаются"};
}

bool MemoryFolder::isFolder(std::string_view path) const {
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return sameTextIgnoringCase(path, folder_);
}

const UnpackedMember* MemoryFolder::member(const std::string& path) const {
    size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || !isFolder(std::string_view(path).substr(0, slash)))
        return nullptr;
    auto found = byFoldedName_.find(foldedName(std::string_view(path).substr(slash + 1)));
    return found == byFoldedName_.end() ? nullptr : &members_[found->second];
}

bool MemoryFolder::folderExists(const std::string& path) {
    return isFolder(path);
}

std::optional<std::string> MemoryFolder::readFile(const std::string& path) {
    const UnpackedMember* m = member(path);
    return m ? std::optional<std::string>(m->bytes) : std::nullopt;
}

std::int64_t MemoryFolder::fileSize(const std::string& path) {
    const UnpackedMember* m = member(path);
    return m ? static_cast<std::int64_t>(m->bytes.size()) : -1;
}

std::optional<LocalTime> MemoryFolder::fileDate(const std::string& path) {
    const UnpackedMember* m = member(path);
    return m ? std::optional<LocalTime>(m->modified) : std::nullopt;
}

std::optional<FileError> MemoryFolder::listFolder(const std::string& folder,
                                                  const std::function<bool(const FolderEntry&)>& visit) {
    if (!isFolder(folder))
        return std::nullopt; // a missing folder lists as empty
    for (const UnpackedMember& m : members_)
        if (!visit({m.name, false, false, static_cast<std::int64_t>(m.bytes.size()), m.modified}))
            break;
    return std::nullopt;
}

std::unique_ptr<FileReader> MemoryFolder::openRead(const std::string& path, FileError& error) {
    const UnpackedMember* m = member(path);
    if (!m) {
        error = notFound(path);
        return nullptr;
    }
    return std::make_unique<MemoryReader>(m->bytes);
}

std::unique_ptr<FileWriter> MemoryFolder::createWrite(const std::string&, FileError& error) {
    error = readOnly();
    return nullptr;
}

} // namespace kw
