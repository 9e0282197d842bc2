// Preparing the members of a package: hashing, masking into the staging folder, the two lists.
#include "results/PackageMembers.h"

#include <algorithm>
#include <limits>

#include "platform/Digest.h"
#include "results/PackageManifest.h"

namespace kw {
namespace {

constexpr std::size_t kBlock = 1 << 20;

// A block buffer of the calling thread, made once: a megabyte allocated and cleared per file costs more
// than hashing it.
std::string& blockBuffer() {
    thread_local std::string block(kBlock, '\0');
    return block;
}

// The masked copy: the original's bytes with the edits, hashed as they are written.
std::optional<FileError> writeMaskedCopy(FileSystem& files, const std::string& path, const std::string& copy,
                                         const std::vector<ByteEdit>& edits, PreparedMember& out) {
    FileError error;
    std::unique_ptr<FileReader> in = files.openRead(path, error);
    if (!in)
        return error;
    std::unique_ptr<FileWriter> writer = files.createWrite(copy, error);
    if (!writer)
        return error;
    Sha256 hash;
    thread_local std::string pending;
    pending.clear();
    std::int64_t written = 0;
    auto emit = [&](std::string_view bytes) {
        pending.append(bytes);
        if (pending.size() < kBlock)
            return true;
        hash.update(pending);
        written += static_cast<std::int64_t>(pending.size());
        bool ok = writer->write(pending);
        pending.clear();
        return ok;
    };
    std::string& block = blockBuffer();
    std::int64_t at = 0, skip = 0;
    std::size_t e = 0;
    for (std::int64_t got; (got = in->read(block.data(), block.size())) != 0; at += got) {
        if (got < 0)
            return in->error();
        std::string_view data(block.data(), static_cast<std::size_t>(got));
        std::size_t i = 0;
        while (i < data.size()) {
            if (skip > 0) {
                auto s = static_cast<std::size_t>(std::min<std::int64_t>(skip, data.size() - i));
                i += s;
                skip -= static_cast<std::int64_t>(s);
                continue;
            }
            std::int64_t here = at + static_cast<std::int64_t>(i);
            std::int64_t edit = e < edits.size() ? edits[e].offset : std::numeric_limits<std::int64_t>::max();
            if (edit <= here) {
                if (!emit(edits[e].bytes))
                    return writer->error();
                skip = edits[e].length - (here - edit);
                ++e;
                continue;
            }
            auto take = static_cast<std::size_t>(std::min<std::int64_t>(data.size() - i, edit - here));
            if (!emit(data.substr(i, take)))
                return writer->error();
            i += take;
        }
    }
    hash.update(pending);
    written += static_cast<std::int64_t>(pending.size());
    if (!pending.empty() && !writer->write(pending))
        return writer->error();
    writer.reset();
    out.source = copy;
    out.size = written;
    out.sha256 = lowerHex(hash.finish());
    return std::nullopt;
}

constexpr std::size_t kLongestHeldLine = 4 << 20;
// A text file up to this size is kept as it is read, so that its masked copy is written without reading
// it a second time; a larger one with a secret is read again.
constexpr std::size_t kKeptWhole = 8 << 20;

// The masked copy of bytes held in memory.
std::optional<FileError> writeMaskedBytes(FileSystem& files, std::string_view bytes, const std::string& copy,
                                          const std::vector<ByteEdit>& edits, PreparedMember& out) {
    FileError error;
    std::unique_ptr<FileWriter> writer = files.createWrite(copy, error);
    if (!writer)
        return error;
    const std::string masked = applyEdits(bytes, edits);
    if (!writer->write(masked))
        return writer->error();
    writer.reset();
    out.source = copy;
    out.size = static_cast<std::int64_t>(masked.size());
    out.sha256 = sha256Hex(masked);
    return std::nullopt;
}

} // namespace

std::optional<FileError> prepareMember(FileSystem& files, const std::string& path, const std::string& name,
                                       bool mask, const std::string& staging, PreparedMember& out) {
    out = PreparedMember{name, path, 0, "", {}};
    FileError error;
    std::unique_ptr<FileReader> in = files.openRead(path, error);
    if (!in)
        return error;
    Sha256 hash;
    if (!hash.ok())
        return FileError{0, "алгоритм SHA-256 системы недоступен"};
    std::string& block = blockBuffer();
    thread_local std::string lines, whole;
    lines.clear();
    whole.clear();
    bool keeping = true;
    std::optional<SecretMasker> masker;
    std::vector<ByteEdit> edits;
    std::int64_t size = 0;
    for (bool first = true;; first = false) {
        std::int64_t got = in->read(block.data(), block.size());
        if (got < 0)
            return in->error();
        std::string_view data(block.data(), static_cast<std::size_t>(got));
        hash.update(data);
        if (first && mask && isMaskableText(data.substr(0, 65536)))
            masker.emplace(name, data.substr(0, 4));
        if (masker && keeping) {
            if (whole.size() + data.size() <= kKeptWhole)
                whole.append(data);
            else
                keeping = false, whole.clear();
        }
        if (masker) {
            // Whole lines go to the masker; the rest waits for the next block.
            lines.append(data);
            std::size_t cut = got == 0 ? lines.size() : masker->wholeLines(lines);
            // A line longer than any text's goes to the masker in pieces (of whole UTF-16 units), so
            // that a file of one endless line is never held whole.
            if (cut == 0 && lines.size() >= kLongestHeldLine)
                cut = lines.size() & ~std::size_t{1};
            if (cut > 0) {
                masker->feed(std::string_view(lines).substr(0, cut),
                             size - static_cast<std::int64_t>(lines.size() - data.size()), edits, out.masked);
                lines.erase(0, cut);
            }
        }
        size += got;
        if (got == 0)
            break;
    }
    in.reset();
    if (edits.empty()) {
        out.size = size;
        out.sha256 = lowerHex(hash.finish());
        return std::nullopt;
    }
    if (keeping && static_cast<std::int64_t>(whole.size()) == size)
        return writeMaskedBytes(files, whole, staging + "\\" + name, edits, out);
    return writeMaskedCopy(files, path, staging + "\\" + name, edits, out);
}

PackageMembers::PackageMembers(FileSystem& files, std::string workFolder, std::vector<std::string> names,
                               bool mask, std::string staging)
    : files_(files), folder_(std::move(workFolder)), names_(std::move(names)), mask_(mask),
      staging_(std::move(staging)) {
    while (!folder_.empty() && folder_.back() == '\\')
        folder_.pop_back();
    worker_ = std::thread([this] { prepare(); });
}

PackageMembers::~PackageMembers() {
    stop_.store(true);
    if (worker_.joinable())
        worker_.join();
}

std::vector<std::string> PackageMembers::packedNames() const {
    std::vector<std::string> out = names_;
    if (mask_)
        out.push_back(kMaskedListFile);
    out.push_back(kManifestFile);
    return out;
}

void PackageMembers::prepare() {
    for (const std::string& name : names_) {
        if (stop_.load())
            return;
        PreparedMember member;
        std::string path = folder_ + "\\" + name;
        auto error = prepareMember(files_, path, name, mask_, staging_, member);
        std::lock_guard lock(mutex_);
        if (error) {
            failure_ = FileError{error->code, "не удалось прочитать файл " + path + ": " + error->message};
            ready_.notify_all();
            return;
        }
        done_.push_back(std::move(member));
        ready_.notify_all();
    }
}

std::optional<CabinetSource> PackageMembers::next(std::optional<FileError>& error) {
    if (handed_ < names_.size()) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return done_.size() > handed_ || failure_; });
        if (done_.size() <= handed_) {
            error = failure_;
            return std::nullopt;
        }
        const PreparedMember& m = done_[handed_++];
        return CabinetSource{m.source, m.name};
    }
    if (worker_.joinable())
        worker_.join();
    std::size_t list = handed_ - names_.size();
    if (list >= (mask_ ? 2u : 1u))
        return std::nullopt;
    ++handed_;
    if (mask_ && list == 0) {
        std::vector<MaskedFile> masked;
        for (const PreparedMember& m : done_)
            if (!m.masked.empty())
                masked.push_back({m.name, m.masked});
        return writeList(kMaskedListFile, maskedListText(masked), error);
    }
    std::vector<ManifestRow> rows;
    for (const PreparedMember& m : done_)
        rows.push_back({m.name, m.size, m.sha256, topicOfFile(m.name)});
    return writeList(kManifestFile, manifestText(rows), error);
}

std::optional<CabinetSource> PackageMembers::writeList(const std::string& name, const std::string& bytes,
                                                       std::optional<FileError>& error) {
    std::string path = folder_ + "\\" + name;
    if (!files_.writeFile(path, bytes)) {
        error = FileError{0, "не удалось записать файл " + path};
        return std::nullopt;
    }
    done_.push_back({name, path, static_cast<std::int64_t>(bytes.size()), sha256Hex(bytes), {}});
    return CabinetSource{path, name};
}

std::size_t PackageMembers::maskedValues() const {
    std::size_t n = 0;
    for (const PreparedMember& m : done_)
        n += m.masked.size();
    return n;
}

} // namespace kw
