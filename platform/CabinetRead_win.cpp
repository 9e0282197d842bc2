// Cabinets read by the program itself: the layout check vouches for the tables, and the data blocks are
// checked (checksum, exact unpacked size) and unpacked with zlib as the members are written.
#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Cabinet.h"
#include "platform/CabinetFormat.h"
#include "platform/CabinetLayout.h"
#include "platform/MszipCodec.h"
#include "platform/Text.h"
#include "platform/WinHandle.h"

namespace kw {
namespace {

constexpr std::size_t kReadPiece = 1 << 20;
constexpr std::size_t kWritePiece = 1 << 20;

FileError damaged(const std::string& what) {
    return {ERROR_INVALID_DATA, "архив CAB повреждён: " + what};
}

// The cabinet, read through a window of 1 MB that moves forward with the reading.
class CabinetInput {
  public:
    bool open(const std::wstring& path) {
        handle_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size{};
        if (!handle_ || !GetFileSizeEx(handle_.get(), &size))
            return false;
        length_ = static_cast<std::uint64_t>(size.QuadPart);
        return true;
    }
    std::uint64_t length() const { return length_; }
    std::uint64_t reached() const { return reached_; }

    // The `size` bytes at `offset`, valid until the next call; nothing when they cannot all be read.
    const unsigned char* view(std::uint64_t offset, std::size_t size) {
        if (offset < start_ || offset + size > start_ + window_.size()) {
            if (!fill(offset, std::max(size, kReadPiece)))
                return nullptr;
            if (offset + size > start_ + window_.size())
                return nullptr;
        }
        reached_ = std::max(reached_, offset + size);
        return window_.data() + (offset - start_);
    }
    bool read(std::uint64_t offset, void* buffer, std::size_t size) {
        const unsigned char* bytes = view(offset, size);
        if (bytes)
            std::memcpy(buffer, bytes, size);
        return bytes != nullptr;
    }

  private:
    bool fill(std::uint64_t offset, std::size_t size) {
        window_.resize(size);
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD got = 0;
        if (!SetFilePointerEx(handle_.get(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(handle_.get(), window_.data(), static_cast<DWORD>(size), &got, nullptr)) {
            window_.clear();
            return false;
        }
        window_.resize(got);
        start_ = offset;
        return true;
    }

    UniqueHandle<FileHandleTraits> handle_;
    std::uint64_t length_ = 0, start_ = 0, reached_ = 0;
    std::vector<unsigned char> window_;
};

struct FolderEntry {
    std::uint32_t start = 0;
    std::uint16_t blocks = 0, compression = 0;
};

struct FileEntry {
    std::uint32_t size = 0, offset = 0;
    std::uint16_t folder = 0, date = 0, time = 0, attribs = 0;
    std::string name; // as stored
};

// What the header and tables hold (the layout check has vouched for them).
struct Tables {
    std::uint32_t length = 0;
    unsigned blockReserve = 0;
    std::vector<FolderEntry> folders;
    std::vector<FileEntry> files;
};

bool readTables(CabinetInput& in, Tables& t) {
    unsigned char head[cab::kHeaderSize];
    if (!in.read(0, head, sizeof head))
        return false;
    t.length = cab::u32(head + 8);
    std::uint64_t at = cab::kHeaderSize;
    unsigned folderReserve = 0;
    if (cab::u16(head + 30) & cab::kFlagReserve) {
        unsigned char reserve[4];
        if (!in.read(at, reserve, sizeof reserve))
            return false;
        folderReserve = reserve[2];
        t.blockReserve = reserve[3];
        at += sizeof reserve + cab::u16(reserve);
    }
    t.folders.resize(cab::u16(head + 26));
    for (FolderEntry& f : t.folders) {
        unsigned char e[cab::kFolderEntrySize];
        if (!in.read(at, e, sizeof e))
            return false;
        f.start = cab::u32(e);
        f.blocks = cab::u16(e + 4);
        f.compression = cab::u16(e + 6);
        at += sizeof e + folderReserve;
    }
    at = cab::u32(head + 16);
    t.files.resize(cab::u16(head + 28));
    for (FileEntry& f : t.files) {
        unsigned char e[cab::kFileEntrySize + cab::kMaxName];
        std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(sizeof e, t.length > at ? t.length - at : 0));
        if (size < cab::kFileEntrySize + 1 || !in.read(at, e, size))
            return false;
        f.size = cab::u32(e);
        f.offset = cab::u32(e + 4);
        f.folder = cab::u16(e + 8);
        f.date = cab::u16(e + 10);
        f.time = cab::u16(e + 12);
        f.attribs = cab::u16(e + 14);
        const char* name = reinterpret_cast<const char*>(e + cab::kFileEntrySize);
        f.name.assign(name, strnlen(name, size - cab::kFileEntrySize));
        at += cab::kFileEntrySize + f.name.size() + 1;
    }
    return true;
}

// A folder's unpacked data, read forward block by block.
class FolderReader {
  public:
    FolderReader(CabinetInput& in, const Tables& tables) : in_(in), tables_(tables) {}

    // Moves to `offset` of folder `folder`, starting the folder over when it lies behind.
    std::optional<FileError> seek(unsigned folder, std::uint64_t offset) {
        if (folder != folder_ || offset < position_ - at_) {
            folder_ = folder;
            next_ = 0;
            blockAt_ = tables_.folders[folder].start;
            position_ = 0;
            at_ = end_ = 0;
            decoder_.restart();
        } else if (offset < position_) { // within the block unpacked last
            at_ -= static_cast<std::size_t>(position_ - offset);
            position_ = offset;
        }
        while (position_ < offset) {
            if (at_ == end_) {
                if (auto error = nextBlock())
                    return error;
                continue;
            }
            std::size_t skip =
                static_cast<std::size_t>(std::min<std::uint64_t>(offset - position_, end_ - at_));
            at_ += skip;
            position_ += skip;
        }
        return std::nullopt;
    }

    // Hands out up to `most` bytes of what follows; fewer only at a block's end.
    std::optional<FileError> take(std::size_t most, const unsigned char*& bytes, std::size_t& got) {
        if (at_ == end_)
            if (auto error = nextBlock())
                return error;
        got = std::min(most, end_ - at_);
        bytes = block_.data() + at_;
        at_ += got;
        position_ += got;
        return std::nullopt;
    }

  private:
    std::optional<FileError> nextBlock() {
        const FolderEntry& folder = tables_.folders[folder_];
        if (next_ >= folder.blocks)
            return damaged("размер файла больше данных его папки");
        unsigned char head[cab::kDataHeaderSize];
        if (!in_.read(blockAt_, head, sizeof head))
            return damaged("блок данных не читается");
        const std::size_t packed = cab::u16(head + 4), unpacked = cab::u16(head + 6);
        const unsigned char* data = in_.view(blockAt_ + sizeof head + tables_.blockReserve, packed);
        if (!data)
            return damaged("блок данных не читается");
        std::uint32_t written = cab::u32(head);
        if (written != 0 && cab::blockChecksum(data, packed, head + 4) != written)
            return damaged("контрольная сумма блока данных не сходится");
        block_.resize(std::max<std::size_t>(unpacked, 1));
        switch (folder.compression & 0x0F) {
        case cab::kCompressMszip:
            if (!decoder_.decode(data, packed, block_.data(), unpacked))
                return damaged("сжатые данные повреждены");
            break;
        case cab::kCompressNone:
            if (packed != unpacked)
                return damaged("сжатые данные повреждены");
            std::memcpy(block_.data(), data, packed);
            break;
        default:
            return FileError{ERROR_INVALID_DATA, "неизвестный способ сжатия"};
        }
        blockAt_ += sizeof head + tables_.blockReserve + packed;
        ++next_;
        at_ = 0;
        end_ = unpacked;
        return std::nullopt;
    }

    CabinetInput& in_;
    const Tables& tables_;
    MszipDecoder decoder_;
    unsigned folder_ = ~0u;
    unsigned next_ = 0;          // the folder's next block
    std::uint64_t blockAt_ = 0;  // where that block lies in the cabinet
    std::uint64_t position_ = 0; // unpacked offset in the folder of what take() hands out next
    std::vector<unsigned char> block_;
    std::size_t at_ = 0, end_ = 0; // what of the unpacked block is not yet handed out
};

// Creates and writes the members on a thread of its own while the next ones are unpacked: under Wine
// creating a file costs about as much as unpacking it. The pieces queued are bounded, and their buffers
// are used again.
class MemberWriter {
  public:
    MemberWriter() : worker_([this] { run(); }) {}
    ~MemberWriter() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
    MemberWriter(const MemberWriter&) = delete;
    MemberWriter& operator=(const MemberWriter&) = delete;

    // A buffer for the next piece of a member.
    std::vector<unsigned char> buffer() {
        std::lock_guard lock(mutex_);
        if (spare_.empty())
            return {};
        std::vector<unsigned char> b = std::move(spare_.back());
        spare_.pop_back();
        b.clear();
        return b;
    }
    void open(std::wstring path, std::string name, std::uint16_t date, std::uint16_t time) {
        push({Piece::Open, std::move(path), std::move(name), date, time, {}});
    }
    void write(std::vector<unsigned char> bytes) { push({Piece::Data, {}, {}, 0, 0, std::move(bytes)}); }
    void close() { push({Piece::Close, {}, {}, 0, 0, {}}); }

    // Waits until everything queued is written.
    void finish() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return queue_.empty() && !busy_; });
    }
    // The members closed since the last call, in order, and the first failure.
    std::vector<std::string> closed(std::optional<FileError>& failure) {
        std::lock_guard lock(mutex_);
        failure = failure_;
        return std::exchange(closed_, {});
    }
    bool failed() {
        std::lock_guard lock(mutex_);
        return failure_.has_value();
    }

  private:
    struct Piece {
        enum Kind { Open, Data, Close } kind;
        std::wstring path;
        std::string name;
        std::uint16_t date = 0, time = 0;
        std::vector<unsigned char> bytes;
    };
    static constexpr std::size_t kMostQueued = 16 * kWritePiece;

    void push(Piece piece) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return queued_ < kMostQueued || failure_; });
        queued_ += piece.bytes.size();
        queue_.push_back(std::move(piece));
        changed_.notify_all();
    }
    void run() {
        for (;;) {
            Piece piece;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return quit_ || !queue_.empty(); });
                if (queue_.empty())
                    return;
                piece = std::move(queue_.front());
                queue_.pop_front();
                busy_ = true;
            }
            std::optional<FileError> failure = failed() ? std::nullopt : handle(piece);
            {
                std::lock_guard lock(mutex_);
                queued_ -= piece.bytes.size();
                if (failure && !failure_)
                    failure_ = failure;
                if (piece.kind == Piece::Data)
                    spare_.push_back(std::move(piece.bytes));
                busy_ = false;
            }
            changed_.notify_all();
        }
    }
    std::optional<FileError> handle(Piece& piece) {
        switch (piece.kind) {
        case Piece::Open:
            file_.reset(CreateFileW(piece.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
            name_ = piece.name;
            date_ = piece.date;
            time_ = piece.time;
            if (!file_) {
                DWORD code = GetLastError();
                return FileError{code, "не удалось записать файл " + name_ + ": " + systemErrorText(code)};
            }
            return std::nullopt;
        case Piece::Data:
            for (std::size_t at = 0; at < piece.bytes.size();) {
                DWORD put = 0;
                if (!WriteFile(file_.get(), piece.bytes.data() + at,
                               static_cast<DWORD>(piece.bytes.size() - at), &put, nullptr) ||
                    put == 0) {
                    DWORD code = GetLastError();
                    return FileError{code, "не удалось записать файл: " + systemErrorText(code)};
                }
                at += put;
            }
            return std::nullopt;
        case Piece::Close: {
            FILETIME local{}, utc{};
            if (DosDateTimeToFileTime(date_, time_, &local) && LocalFileTimeToFileTime(&local, &utc))
                SetFileTime(file_.get(), nullptr, nullptr, &utc);
            file_.reset();
            std::lock_guard lock(mutex_);
            closed_.push_back(name_);
            return std::nullopt;
        }
        }
        return std::nullopt;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> queue_;
    std::size_t queued_ = 0;
    std::vector<std::vector<unsigned char>> spare_;
    std::vector<std::string> closed_;
    std::optional<FileError> failure_;
    bool busy_ = false, quit_ = false;
    // Used by the worker only.
    UniqueHandle<FileHandleTraits> file_;
    std::string name_;
    std::uint16_t date_ = 0, time_ = 0;
    std::thread worker_; // last: it starts on a complete object
};

// Hands one member's bytes to the writer in pieces of up to 1 MB.
std::optional<FileError> unpackMember(FolderReader& data, const FileEntry& file, MemberWriter& writer) {
    if (auto error = data.seek(file.folder, file.offset))
        return error;
    std::vector<unsigned char> piece = writer.buffer();
    piece.reserve(kWritePiece);
    for (std::uint64_t left = file.size; left > 0;) {
        const unsigned char* bytes = nullptr;
        std::size_t got = 0;
        if (auto error =
                data.take(static_cast<std::size_t>(std::min<std::uint64_t>(left, kWritePiece - piece.size())),
                          bytes, got))
            return error;
        piece.insert(piece.end(), bytes, bytes + got);
        left -= got;
        if (piece.size() == kWritePiece) {
            writer.write(std::move(piece));
            piece = writer.buffer();
            piece.reserve(kWritePiece);
        }
    }
    if (!piece.empty())
        writer.write(std::move(piece));
    return std::nullopt;
}

// The header as the system's library checked it before it would read a cabinet.
bool looksLikeCabinet(CabinetInput& in, bool& continues) {
    unsigned char head[cab::kHeaderSize];
    if (in.length() < sizeof head || !in.read(0, head, sizeof head) || std::memcmp(head, "MSCF", 4) != 0)
        return false;
    if (head[25] > 1 || (head[25] == 1 && head[24] > 3))
        return false;
    continues = (cab::u16(head + 30) & cab::kFlagNext) != 0;
    return true;
}

std::optional<std::string> layoutFault(CabinetInput& in, bool packedData) {
    return cabinetLayoutFault(
        in.length(),
        [&](std::uint64_t offset, void* buffer, std::size_t size) { return in.read(offset, buffer, size); },
        packedData);
}

} // namespace

bool isCabinet(const std::string& path) {
    CabinetInput in;
    bool continues = false;
    return in.open(toWide(path)) && looksLikeCabinet(in, continues) && !layoutFault(in, true);
}

namespace {

// A package that would fill the drive is not unpacked at all: a small cabinet can hold gigabytes of
// zeros. Room is wanted for what it unpacks to, and a margin for the system and the program's own work.
std::optional<FileError> roomFault(const std::wstring& folder, std::int64_t bytes) {
    ULARGE_INTEGER available{};
    if (bytes == 0 || !GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    constexpr std::int64_t kMegabyte = 1 << 20;
    std::int64_t margin = std::max<std::int64_t>(64 * kMegabyte, bytes / 10);
    auto free = static_cast<std::int64_t>(std::min<ULONGLONG>(available.QuadPart, INT64_MAX));
    if (free >= bytes + margin)
        return std::nullopt;
    auto mb = [&](std::int64_t n) { return std::to_string((n + kMegabyte - 1) / kMegabyte); };
    return FileError{ERROR_DISK_FULL, "файлы пакета занимают " + mb(bytes) + " МБ, а на диске каталога " +
                                          toUtf8(folder) + " свободно " + mb(free) +
                                          " МБ: пакет не распакован"};
}

} // namespace

namespace {

// What opening a cabinet for unpacking found: its tables, and which members the filter lets through.
struct OpenedCabinet {
    CabinetInput in;
    Tables tables;
    std::vector<std::optional<CabinetMember>> wanted; // per member; nothing for one refused
    std::int64_t unpacked = 0;                        // what the members let through add up to
};

std::optional<FileError> openCabinet(const std::string& cabinet, const MemberFilter& filter, OpenedCabinet& c,
                                     ExtractedCabinet& result) {
    if (!c.in.open(toWide(cabinet))) {
        DWORD code = GetLastError();
        return FileError{code, systemErrorText(code)};
    }
    bool continues = false;
    if (!looksLikeCabinet(c.in, continues))
        return FileError{ERROR_BAD_FORMAT, "файл не является архивом CAB"};
    if (continues)
        return FileError{ERROR_INVALID_DATA, "пакет продолжается в другом файле, которого нет"};
    if (auto fault = layoutFault(c.in, false))
        return damaged(*fault);
    if (!readTables(c.in, c.tables))
        return damaged("таблица файлов за концом файла");
    // Which members are unpacked, decided before any is.
    for (const FileEntry& file : c.tables.files) {
        CabinetMember member{(file.attribs & cab::kAttributeNameIsUtf8) ? file.name : ansiToUtf8(file.name),
                             file.size};
        std::optional<std::string> reason = filter ? filter(member) : std::nullopt;
        if (reason) {
            result.refused.emplace_back(member.name, *reason);
            c.wanted.emplace_back();
        } else {
            c.unpacked += member.size;
            c.wanted.emplace_back(std::move(member));
        }
    }
    return std::nullopt;
}

// A cabinet's date and time fields as the local time they stand for.
LocalTime dosTime(std::uint16_t date, std::uint16_t time) {
    LocalTime t;
    t.year = 1980 + (date >> 9);
    t.month = (date >> 5) & 15;
    t.day = date & 31;
    t.hour = time >> 11;
    t.minute = (time >> 5) & 63;
    t.second = (time & 31) * 2;
    return t;
}

} // namespace

std::optional<FileError> extractCabinet(const std::string& cabinet, const std::string& folder,
                                        const MemberFilter& filter, ExtractedCabinet& result,
                                        const CabinetProgress& progress) {
    OpenedCabinet opened;
    if (auto error = openCabinet(cabinet, filter, opened, result))
        return error;
    CabinetInput& in = opened.in;
    const Tables& tables = opened.tables;
    const auto& wanted = opened.wanted;
    std::wstring into = toWide(folder);
    if (!into.empty() && into.back() != L'\\')
        into += L'\\';
    // What they unpack to must fit on the drive.
    if (auto full = roomFault(into, opened.unpacked))
        return full;
    FolderReader data(in, tables);
    std::optional<FileError> error;
    {
        MemberWriter writer;
        // Takes over what the writer has closed; false when the work must stop.
        auto report = [&]() {
            std::optional<FileError> failure;
            for (std::string& name : writer.closed(failure)) {
                result.written.push_back(std::move(name));
                if (!failure && progress && !progress(static_cast<std::int64_t>(in.reached()), tables.length))
                    failure = FileError{ERROR_CANCELLED, "распаковка прервана"};
            }
            if (failure && !error)
                error = failure;
            return !error;
        };
        for (std::size_t i = 0; i < tables.files.size(); ++i) {
            if (!report())
                break;
            if (!wanted[i])
                continue;
            const FileEntry& file = tables.files[i];
            const CabinetMember& member = *wanted[i];
            writer.open(into + toWide(member.name), member.name, file.date, file.time);
            if (auto failure = unpackMember(data, file, writer)) {
                error = failure;
                break;
            }
            writer.close();
        }
        if (!error) {
            writer.finish();
            report();
        }
    }
    return error;
}

std::optional<FileError> extractCabinetToMemory(const std::string& cabinet, const MemberFilter& filter,
                                                std::int64_t limit, std::vector<UnpackedMember>& members,
                                                ExtractedCabinet& result) {
    OpenedCabinet opened;
    if (auto error = openCabinet(cabinet, filter, opened, result))
        return error;
    if (opened.unpacked > limit) {
        result.refused.clear();
        return FileError{kTooLargeForMemory, "файлы пакета не помещаются в памяти"};
    }
    FolderReader data(opened.in, opened.tables);
    for (std::size_t i = 0; i < opened.tables.files.size(); ++i) {
        if (!opened.wanted[i])
            continue;
        const FileEntry& file = opened.tables.files[i];
        UnpackedMember member{opened.wanted[i]->name, dosTime(file.date, file.time), {}};
        member.bytes.reserve(file.size);
        if (auto error = data.seek(file.folder, file.offset))
            return error;
        while (member.bytes.size() < file.size) {
            const unsigned char* bytes = nullptr;
            std::size_t got = 0;
            if (auto error = data.take(file.size - member.bytes.size(), bytes, got))
                return error;
            member.bytes.append(reinterpret_cast<const char*>(bytes), got);
        }
        result.written.push_back(member.name);
        members.push_back(std::move(member));
    }
    return std::nullopt;
}

} // namespace kw
