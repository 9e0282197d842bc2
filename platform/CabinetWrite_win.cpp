// Cabinets written by the program itself: one folder of MSZIP blocks, packed by zlib on two threads and
// written in order. The layout is the one the system's cabinet library wrote for our packages before
// (one folder, names as given, UTF-8 names marked), and so are the bytes.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Cabinet.h"
#include "platform/CabinetFormat.h"
#include "platform/MszipCodec.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

constexpr std::size_t kBatchBlocks = 32;     // the input of one round of the two threads, 1 MB
constexpr std::size_t kWritePiece = 1 << 20; // what reaches the system in one write
constexpr std::uint64_t kMaxCabinetSize = 0x7FFFFFFF - 512;
constexpr std::size_t kMaxBlocks = 0xFFFF; // the block count of a folder is a 16-bit field

FileError systemError(const std::string& what) {
    DWORD code = GetLastError();
    return {code, what + systemErrorText(code)};
}
FileError tooLarge() {
    return {ERROR_FILE_TOO_LARGE, "Файлы не помещаются в один пакет"};
}

bool isPlainAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

std::int64_t sizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a))
        return 0;
    return (static_cast<std::int64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// A file written front to back in large pieces.
class OutputFile {
  public:
    std::optional<FileError> open(const std::wstring& path, DWORD access, DWORD flags) {
        handle_.reset(
            CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, flags, nullptr));
        if (!handle_)
            return systemError("Не удалось создать файл " + toUtf8(path) + ": ");
        return std::nullopt;
    }
    HANDLE get() const { return handle_.get(); }
    std::optional<FileError> write(const unsigned char* bytes, std::size_t size) {
        pending_.insert(pending_.end(), bytes, bytes + size);
        return pending_.size() >= kWritePiece ? flush() : std::nullopt;
    }
    std::optional<FileError> flush() {
        std::size_t at = 0;
        while (at < pending_.size()) {
            DWORD put = 0;
            if (!WriteFile(handle_.get(), pending_.data() + at, static_cast<DWORD>(pending_.size() - at),
                           &put, nullptr) ||
                put == 0) {
                pending_.clear();
                return systemError("не удалось записать файл: ");
            }
            at += put;
        }
        pending_.clear();
        return std::nullopt;
    }
    std::optional<FileError> seek(std::uint64_t offset) {
        if (auto error = flush())
            return error;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(handle_.get(), at, nullptr, FILE_BEGIN))
            return systemError("не удалось записать файл: ");
        return std::nullopt;
    }
    void close() { handle_.reset(); }

  private:
    UniqueHandle<FileHandleTraits> handle_;
    std::vector<unsigned char> pending_;
};

struct Block {
    std::size_t size = 0;   // unpacked
    std::size_t packed = 0; // 0 when zlib failed
    std::vector<unsigned char> out = std::vector<unsigned char>(kMszipMaxPacked);
};

// Packs the blocks of one round on the calling thread and one more; each block is packed on its own, so
// the order in which they are taken does not change a byte.
class BlockPacker {
  public:
    BlockPacker() : worker_([this] { run(); }) {}
    ~BlockPacker() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        worker_.join();
    }
    BlockPacker(const BlockPacker&) = delete;
    BlockPacker& operator=(const BlockPacker&) = delete;

    // Packs `count` blocks of kMszipBlock bytes each from `input` (the last may be shorter); false when
    // zlib failed on one.
    bool pack(const unsigned char* input, std::vector<Block>& blocks, std::size_t count) {
        {
            std::lock_guard lock(mutex_);
            input_ = input;
            blocks_ = &blocks;
            count_ = count;
            next_ = 0;
            failed_ = false;
            workerDone_ = false;
            ++round_;
        }
        wake_.notify_all();
        packSome(own_);
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] { return workerDone_; });
        return !failed_;
    }

  private:
    void packSome(MszipEncoder& encoder) {
        for (std::size_t i; (i = next_.fetch_add(1)) < count_;) {
            Block& b = (*blocks_)[i];
            b.packed = encoder.encode(input_ + i * kMszipBlock, b.size, b.out.data());
            if (b.packed == 0)
                failed_ = true;
        }
    }
    void run() {
        unsigned seen = 0;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return quit_ || round_ != seen; });
                if (quit_)
                    return;
                seen = round_;
            }
            packSome(theirs_);
            {
                std::lock_guard lock(mutex_);
                workerDone_ = true;
            }
            done_.notify_all();
        }
    }

    MszipEncoder own_, theirs_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const unsigned char* input_ = nullptr;
    std::vector<Block>* blocks_ = nullptr;
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> failed_{false};
    bool workerDone_ = true, quit_ = false;
    unsigned round_ = 0;
    std::thread worker_; // last: it starts on a complete object
};

struct Member {
    std::string name;
    std::uint32_t size = 0, offset = 0;
    std::uint16_t date = 0, time = 0, attribs = 0;
};

class CabinetWriter {
  public:
    CabinetWriter(const std::string& cabinet, const CabinetProgress& progress, std::int64_t total)
        : cabinet_(toWide(cabinet)), progress_(progress), total_(total), input_(kBatchBlocks * kMszipBlock),
          blocks_(kBatchBlocks) {}

    // `tableSize`: the size the file table will have when it is known now; the data then goes straight
    // to its place in the cabinet, else through a temporary file.
    std::optional<FileError> start(std::optional<std::size_t> tableSize) {
        if (auto error = cabinetFile_.open(cabinet_, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL))
            return error;
        if (tableSize) {
            dataStart_ = cab::kHeaderSize + (*tableSize ? cab::kFolderEntrySize : 0) + *tableSize;
            data_ = &cabinetFile_;
            return cabinetFile_.seek(dataStart_);
        }
        // The data waits in a temporary file of its own, gone when it is closed.
        wchar_t temp[MAX_PATH + 1] = {}, name[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        if (!GetTempFileNameW(temp, L"KWc", 0, name))
            return systemError("Не удалось создать файл " + toUtf8(temp) + ": ");
        if (auto error = spool_.open(name, GENERIC_READ | GENERIC_WRITE,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE)) {
            DeleteFileW(name);
            return error;
        }
        data_ = &spool_;
        return std::nullopt;
    }

    std::optional<FileError> add(const CabinetSource& source) {
        std::wstring path = toWide(source.path);
        UniqueHandle<FileHandleTraits> file(CreateFileW(path.c_str(), GENERIC_READ,
                                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file)
            return systemError("Не удалось прочитать файл " + toUtf8(path) + ": ");
        Member member;
        member.name = source.name;
        BY_HANDLE_FILE_INFORMATION info{};
        FILETIME local{};
        GetFileInformationByHandle(file.get(), &info);
        FileTimeToLocalFileTime(&info.ftLastWriteTime, &local);
        FileTimeToDosDateTime(&local, &member.date, &member.time);
        member.attribs = static_cast<std::uint16_t>(info.dwFileAttributes &
                                                    (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
        if (!isPlainAscii(source.name))
            member.attribs |= cab::kAttributeNameIsUtf8;
        std::uint64_t offset = unpacked_ + fill_;
        if (offset > 0xFFFFFFFFu)
            return tooLarge();
        member.offset = static_cast<std::uint32_t>(offset);
        tableSize_ += cab::kFileEntrySize + source.name.size() + 1;
        std::uint64_t size = 0;
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file.get(), input_.data() + fill_, static_cast<DWORD>(input_.size() - fill_), &got,
                          nullptr))
                return FileError{GetLastError(), "не удалось прочитать исходный файл"};
            if (got == 0)
                break;
            fill_ += got;
            size += got;
            if (fill_ == input_.size())
                if (auto error = packBatch())
                    return error;
        }
        if (size > 0xFFFFFFFFu)
            return tooLarge();
        member.size = static_cast<std::uint32_t>(size);
        members_.push_back(std::move(member));
        return std::nullopt;
    }

    std::optional<FileError> finish() {
        if (auto error = packBatch())
            return error;
        const bool folder = !members_.empty();
        const std::uint64_t filesAt = cab::kHeaderSize + (folder ? cab::kFolderEntrySize : 0);
        const std::uint64_t dataAt = filesAt + tableSize_;
        const std::uint64_t length = dataAt + dataBytes_;
        if (length > kMaxCabinetSize)
            return tooLarge();
        if (data_ == &cabinetFile_ && dataAt != dataStart_)
            return FileError{ERROR_INVALID_DATA,
                             "не удалось записать файл: таблица файлов не на своём месте"};

        std::vector<unsigned char> head(static_cast<std::size_t>(dataAt));
        unsigned char* h = head.data();
        std::memcpy(h, "MSCF", 4);
        cab::put32(h + 8, static_cast<std::uint32_t>(length));
        cab::put32(h + 16, static_cast<std::uint32_t>(filesAt));
        h[24] = 3; // version 1.3
        h[25] = 1;
        cab::put16(h + 26, folder ? 1 : 0);
        cab::put16(h + 28, static_cast<std::uint16_t>(members_.size()));
        cab::put16(h + 34, 1); // the first cabinet of its set
        if (folder) {
            unsigned char* f = h + cab::kHeaderSize;
            cab::put32(f, static_cast<std::uint32_t>(dataAt));
            cab::put16(f + 4, static_cast<std::uint16_t>(blockCount_));
            cab::put16(f + 6, cab::kCompressMszip);
        }
        unsigned char* e = h + filesAt;
        for (const Member& m : members_) {
            cab::put32(e, m.size);
            cab::put32(e + 4, m.offset);
            cab::put16(e + 10, m.date);
            cab::put16(e + 12, m.time);
            cab::put16(e + 14, m.attribs);
            std::memcpy(e + cab::kFileEntrySize, m.name.c_str(), m.name.size() + 1);
            e += cab::kFileEntrySize + m.name.size() + 1;
        }
        if (data_ == &cabinetFile_) {
            if (auto error = cabinetFile_.seek(0))
                return error;
            if (auto error = cabinetFile_.write(head.data(), head.size()))
                return error;
            return cabinetFile_.flush();
        }
        if (auto error = cabinetFile_.write(head.data(), head.size()))
            return error;
        if (auto error = spool_.seek(0))
            return error;
        std::vector<unsigned char> piece(kWritePiece);
        for (std::uint64_t left = dataBytes_; left > 0;) {
            DWORD got = 0;
            if (!ReadFile(spool_.get(), piece.data(),
                          static_cast<DWORD>(std::min<std::uint64_t>(left, piece.size())), &got, nullptr) ||
                got == 0)
                return systemError("не удалось записать файл: ");
            if (auto error = cabinetFile_.write(piece.data(), got))
                return error;
            left -= got;
        }
        return cabinetFile_.flush();
    }

    // Closes the files; the cabinet is deleted unless `keep`.
    void close(bool keep) {
        spool_.close();
        cabinetFile_.close();
        if (!keep)
            DeleteFileW(cabinet_.c_str());
    }

    bool stopped() const { return stopped_; }

  private:
    // Packs what has been read so far, writes its blocks in order and tells the progress.
    std::optional<FileError> packBatch() {
        if (fill_ == 0)
            return std::nullopt;
        const std::size_t count = (fill_ + kMszipBlock - 1) / kMszipBlock;
        for (std::size_t i = 0; i < count; ++i)
            blocks_[i].size = std::min(kMszipBlock, fill_ - i * kMszipBlock);
        if (blockCount_ + count > kMaxBlocks)
            return tooLarge();
        if (!packer_.pack(input_.data(), blocks_, count))
            return FileError{ERROR_NOT_ENOUGH_MEMORY, "не хватает памяти"};
        for (std::size_t i = 0; i < count; ++i) {
            Block& b = blocks_[i];
            unsigned char head[cab::kDataHeaderSize];
            cab::put16(head + 4, static_cast<std::uint16_t>(b.packed));
            cab::put16(head + 6, static_cast<std::uint16_t>(b.size));
            cab::put32(head, cab::blockChecksum(b.out.data(), b.packed, head + 4));
            if (auto error = data_->write(head, sizeof head))
                return error;
            if (auto error = data_->write(b.out.data(), b.packed))
                return error;
            dataBytes_ += sizeof head + b.packed;
            done_ += static_cast<std::int64_t>(b.size);
            if (progress_ && !progress_(done_, total_)) {
                stopped_ = true;
                return FileError{ERROR_CANCELLED, "упаковка прервана"};
            }
        }
        blockCount_ += count;
        unpacked_ += fill_;
        fill_ = 0;
        if (dataBytes_ > kMaxCabinetSize)
            return tooLarge();
        return std::nullopt;
    }

    std::wstring cabinet_;
    const CabinetProgress& progress_;
    std::int64_t total_ = 0, done_ = 0;
    OutputFile cabinetFile_, spool_;
    OutputFile* data_ = nullptr;
    std::uint64_t dataStart_ = 0;
    std::vector<unsigned char> input_; // the batch being filled
    std::size_t fill_ = 0;
    std::vector<Block> blocks_;
    BlockPacker packer_;
    std::vector<Member> members_;
    std::size_t tableSize_ = 0, blockCount_ = 0;
    std::uint64_t unpacked_ = 0, dataBytes_ = 0;
    bool stopped_ = false;
};

std::optional<FileError> pack(const std::string& cabinet, const CabinetFeed& feed, std::int64_t expectedBytes,
                              std::optional<std::size_t> tableSize, const CabinetProgress& progress) {
    CabinetWriter writer(cabinet, progress, expectedBytes);
    std::optional<FileError> error = writer.start(tableSize);
    while (!error) {
        std::optional<FileError> fed;
        std::optional<CabinetSource> file = feed(fed);
        if (fed) {
            error = fed;
            break;
        }
        if (!file)
            break;
        if (file->name.size() >= cab::kMaxName) {
            error = FileError{ERROR_FILENAME_EXCED_RANGE, "слишком длинное имя файла " + file->name};
            break;
        }
        error = writer.add(*file);
    }
    if (!error)
        error = writer.finish();
    writer.close(!error);
    return error;
}

} // namespace

std::optional<FileError> writeCabinet(const std::string& cabinet, const std::vector<CabinetSource>& files,
                                      const std::string& diskLabel, const CabinetProgress& progress) {
    (void)diskLabel; // a single cabinet names no disk: the label would only appear in a set's links
    std::int64_t total = 0;
    std::size_t table = 0;
    for (const CabinetSource& f : files) {
        total += sizeOf(toWide(f.path));
        table += cab::kFileEntrySize + f.name.size() + 1;
    }
    std::size_t next = 0;
    CabinetFeed feed = [&](std::optional<FileError>&) -> std::optional<CabinetSource> {
        if (next == files.size())
            return std::nullopt;
        return files[next++];
    };
    return pack(cabinet, feed, total, table, progress);
}

std::optional<FileError> writeCabinet(const std::string& cabinet, const CabinetFeed& feed,
                                      std::int64_t expectedBytes, const std::string& diskLabel,
                                      const CabinetProgress& progress) {
    (void)diskLabel;
    return pack(cabinet, feed, expectedBytes, std::nullopt, progress);
}

} // namespace kw
