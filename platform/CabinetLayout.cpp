#include "platform/CabinetLayout.h"

#include <algorithm>
#include <vector>

#include "platform/CabinetFormat.h"
#include "platform/MszipCheck.h"

namespace kw {
namespace {

// Sizes and limits of the cabinet format.
constexpr std::uint64_t kHeaderSize = 36;
constexpr std::uint64_t kFolderEntrySize = 8;
constexpr std::uint64_t kFileEntrySize = 16;
constexpr std::uint64_t kDataHeaderSize = 8;
constexpr std::size_t kMaxName = 256; // with its terminating zero
constexpr std::uint32_t kMaxBlockUnpacked = 32768;
constexpr std::uint32_t kMaxBlockPacked = 32768 + 6144;
constexpr std::uint16_t kFlagPrevious = 1, kFlagNext = 2, kFlagReserve = 4;
constexpr std::uint16_t kMszip = 1; // the compression our packages use

using cab::u16;
using cab::u32;

// Reads within the cabinet's declared end only, so that every later check may trust what it got.
class Reader {
  public:
    Reader(std::uint64_t end, const CabinetBytes& read) : end_(end), read_(read) {}

    bool within(std::uint64_t offset, std::uint64_t size) const {
        return offset <= end_ && size <= end_ - offset;
    }
    bool bytes(std::uint64_t offset, void* buffer, std::size_t size) const {
        return within(offset, size) && read_(offset, buffer, size);
    }
    // A zero-terminated name at `offset`; its length including the zero, or nothing when it does not end
    // within the limit or the file.
    std::optional<std::uint64_t> nameLength(std::uint64_t offset) const {
        unsigned char buf[kMaxName];
        std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(kMaxName, end_ > offset ? end_ - offset : 0));
        if (size == 0 || !bytes(offset, buf, size))
            return std::nullopt;
        for (std::size_t i = 0; i < size; ++i)
            if (buf[i] == 0)
                return i + 1;
        return std::nullopt;
    }

  private:
    std::uint64_t end_;
    const CabinetBytes& read_;
};

struct Folder {
    std::uint32_t start = 0;
    std::uint16_t blocks = 0;
    std::uint16_t compression = 0;
    std::uint64_t unpacked = 0; // what its data blocks unpack to
};

// Walks the folder's chain of data blocks: each must lie inside the file, none may unpack to more than
// the format allows, and each must still have the checksum it was written with. A changed byte of packed
// data is what a damaged attachment mostly is, and the library's decoder does not survive every one; as
// the checksum misses some changes, an MSZIP block must also decode within its bounds.
std::optional<std::string> walkBlocks(const Reader& in, Folder& folder, unsigned blockReserve,
                                      bool packedData) {
    const bool mszip = packedData && (folder.compression & 0x0F) == kMszip;
    std::uint64_t at = folder.start;
    std::vector<unsigned char> data;
    for (unsigned i = 0; i < folder.blocks; ++i) {
        unsigned char head[kDataHeaderSize];
        if (!in.bytes(at, head, sizeof head))
            return "блок данных за концом файла";
        std::uint16_t packed = u16(head + 4), unpacked = u16(head + 6);
        if (packed > kMaxBlockPacked || unpacked > kMaxBlockUnpacked)
            return "недопустимый размер блока данных";
        at += kDataHeaderSize + blockReserve;
        if (!in.within(at, packed))
            return "блок данных за концом файла";
        std::uint32_t written = u32(head);
        if (!packedData)
            written = 0;
        if (written != 0 || mszip) {
            data.resize(packed);
            if (!in.bytes(at, data.data(), packed))
                return "блок данных не читается";
        }
        if (written != 0 && cab::blockChecksum(data.data(), packed, head + 4) != written)
            return "контрольная сумма блока данных не сходится";
        if (mszip &&
            !mszipBlockDecodes(data.data(), packed, unpacked, static_cast<std::size_t>(folder.unpacked)))
            return "сжатые данные повреждены";
        at += packed;
        folder.unpacked += unpacked;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> cabinetLayoutFault(std::uint64_t length, const CabinetBytes& read,
                                              bool packedData) {
    unsigned char head[kHeaderSize];
    if (length < kHeaderSize || !read(0, head, sizeof head) || u32(head) != 0x4643534Du) // "MSCF"
        return "файл не является архивом CAB";
    std::uint64_t declared = u32(head + 8);
    if (declared > length)
        return "архив CAB обрезан";
    if (declared < kHeaderSize)
        return "неверная длина архива в заголовке";
    if (head[25] != 1)
        return "неизвестная версия архива CAB";
    Reader in(declared, read);
    const std::uint64_t filesAt = u32(head + 16);
    const unsigned folderCount = u16(head + 26), fileCount = u16(head + 28), flags = u16(head + 30);
    if (flags & (kFlagPrevious | kFlagNext))
        return "пакет продолжается в другом файле, которого нет";

    std::uint64_t at = kHeaderSize;
    unsigned folderReserve = 0, blockReserve = 0;
    if (flags & kFlagReserve) {
        unsigned char reserve[4];
        if (!in.bytes(at, reserve, sizeof reserve))
            return "заголовок архива обрезан";
        folderReserve = reserve[2];
        blockReserve = reserve[3];
        at += sizeof reserve + u16(reserve);
    }

    if (fileCount > 0 && folderCount == 0)
        return "в архиве есть файлы, но нет ни одной папки";
    std::vector<Folder> folders(folderCount);
    for (Folder& folder : folders) {
        unsigned char entry[kFolderEntrySize];
        if (!in.bytes(at, entry, sizeof entry))
            return "таблица папок за концом файла";
        folder.start = u32(entry);
        folder.blocks = u16(entry + 4);
        folder.compression = u16(entry + 6);
        at += kFolderEntrySize + folderReserve;
        if ((folder.compression & 0x0F) > 3)
            return "неизвестный способ сжатия";
        if (auto fault = walkBlocks(in, folder, blockReserve, packedData))
            return fault;
    }

    if (fileCount > 0 && (filesAt < at || filesAt >= declared))
        return "таблица файлов вне архива";
    at = filesAt;
    for (unsigned i = 0; i < fileCount; ++i) {
        unsigned char entry[kFileEntrySize];
        if (!in.bytes(at, entry, sizeof entry))
            return "таблица файлов за концом файла";
        std::uint64_t size = u32(entry), offset = u32(entry + 4);
        unsigned folder = u16(entry + 8);
        if (folder >= folderCount)
            return "файл ссылается на папку, которой нет в архиве";
        if (offset + size > folders[folder].unpacked)
            return "размер файла больше данных его папки";
        auto name = in.nameLength(at + kFileEntrySize);
        if (!name)
            return "имя файла в архиве не завершено";
        at += kFileEntrySize + *name;
    }
    return std::nullopt;
}

} // namespace kw
