// The fixed parts of the cabinet format that the writer, the reader and the layout check share.
#pragma once
#include <cstddef>
#include <cstdint>

namespace kw::cab {

inline constexpr std::size_t kHeaderSize = 36;
inline constexpr std::size_t kFolderEntrySize = 8;
inline constexpr std::size_t kFileEntrySize = 16;
inline constexpr std::size_t kDataHeaderSize = 8;
inline constexpr std::size_t kMaxName = 256; // with its terminating zero
inline constexpr std::uint16_t kFlagPrevious = 1, kFlagNext = 2, kFlagReserve = 4;
inline constexpr std::uint16_t kCompressNone = 0, kCompressMszip = 1;
inline constexpr std::uint16_t kAttributeNameIsUtf8 = 0x80;

inline std::uint16_t u16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline void put16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void put32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The checksum of a data block: its bytes, then its two size fields (the 4 bytes after the checksum in
// the block's header) with the first as seed. 0 in a block means none was written.
inline std::uint32_t checksum(const unsigned char* data, std::size_t size, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4)
        sum ^= u32(data + i);
    std::uint32_t tail = 0;
    for (; i < size; ++i)
        tail = tail << 8 | data[i];
    return sum ^ tail;
}
inline std::uint32_t blockChecksum(const unsigned char* data, std::size_t size, const unsigned char* sizes) {
    return checksum(sizes, 4, checksum(data, size, 0));
}

} // namespace kw::cab
