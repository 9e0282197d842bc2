// The four rounds of RFC 1321 written out, so that the compiler keeps the state in registers.
#include "platform/Md5.h"

#include <algorithm>
#include <cstring>

namespace kw {
namespace {

inline std::uint32_t rotate(std::uint32_t x, int bits) {
    return (x << bits) | (x >> (32 - bits));
}
inline std::uint32_t f(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return z ^ (x & (y ^ z));
}
inline std::uint32_t g(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & z) + (y & ~z); // the two terms share no bit, so + is |
}
inline std::uint32_t h(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return x ^ y ^ z;
}
inline std::uint32_t i(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return y ^ (x | ~z);
}

inline std::uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

} // namespace

#define KW_MD5_STEP(fn, a, b, c, d, k, t, r) a = b + rotate(a + fn(b, c, d) + m[k] + t, r)

void Md5::blocks(const unsigned char* p, std::size_t count) {
    std::uint32_t a0 = state_[0], b0 = state_[1], c0 = state_[2], d0 = state_[3];
    for (; count > 0; --count, p += 64) {
        std::uint32_t m[16];
        for (int k = 0; k < 16; ++k)
            m[k] = le32(p + 4 * k);
        std::uint32_t a = a0, b = b0, c = c0, d = d0;
        KW_MD5_STEP(f, a, b, c, d, 0, 0xd76aa478, 7);
        KW_MD5_STEP(f, d, a, b, c, 1, 0xe8c7b756, 12);
        KW_MD5_STEP(f, c, d, a, b, 2, 0x242070db, 17);
        KW_MD5_STEP(f, b, c, d, a, 3, 0xc1bdceee, 22);
        KW_MD5_STEP(f, a, b, c, d, 4, 0xf57c0faf, 7);
        KW_MD5_STEP(f, d, a, b, c, 5, 0x4787c62a, 12);
        KW_MD5_STEP(f, c, d, a, b, 6, 0xa8304613, 17);
        KW_MD5_STEP(f, b, c, d, a, 7, 0xfd469501, 22);
        KW_MD5_STEP(f, a, b, c, d, 8, 0x698098d8, 7);
        KW_MD5_STEP(f, d, a, b, c, 9, 0x8b44f7af, 12);
        KW_MD5_STEP(f, c, d, a, b, 10, 0xffff5bb1, 17);
        KW_MD5_STEP(f, b, c, d, a, 11, 0x895cd7be, 22);
        KW_MD5_STEP(f, a, b, c, d, 12, 0x6b901122, 7);
        KW_MD5_STEP(f, d, a, b, c, 13, 0xfd987193, 12);
        KW_MD5_STEP(f, c, d, a, b, 14, 0xa679438e, 17);
        KW_MD5_STEP(f, b, c, d, a, 15, 0x49b40821, 22);
        KW_MD5_STEP(g, a, b, c, d, 1, 0xf61e2562, 5);
        KW_MD5_STEP(g, d, a, b, c, 6, 0xc040b340, 9);
        KW_MD5_STEP(g, c, d, a, b, 11, 0x265e5a51, 14);
        KW_MD5_STEP(g, b, c, d, a, 0, 0xe9b6c7aa, 20);
        KW_MD5_STEP(g, a, b, c, d, 5, 0xd62f105d, 5);
        KW_MD5_STEP(g, d, a, b, c, 10, 0x02441453, 9);
        KW_MD5_STEP(g, c, d, a, b, 15, 0xd8a1e681, 14);
        KW_MD5_STEP(g, b, c, d, a, 4, 0xe7d3fbc8, 20);
        KW_MD5_STEP(g, a, b, c, d, 9, 0x21e1cde6, 5);
        KW_MD5_STEP(g, d, a, b, c, 14, 0xc33707d6, 9);
        KW_MD5_STEP(g, c, d, a, b, 3, 0xf4d50d87, 14);
        KW_MD5_STEP(g, b, c, d, a, 8, 0x455a14ed, 20);
        KW_MD5_STEP(g, a, b, c, d, 13, 0xa9e3e905, 5);
        KW_MD5_STEP(g, d, a, b, c, 2, 0xfcefa3f8, 9);
        KW_MD5_STEP(g, c, d, a, b, 7, 0x676f02d9, 14);
        KW_MD5_STEP(g, b, c, d, a, 12, 0x8d2a4c8a, 20);
        KW_MD5_STEP(h, a, b, c, d, 5, 0xfffa3942, 4);
        KW_MD5_STEP(h, d, a, b, c, 8, 0x8771f681, 11);
        KW_MD5_STEP(h, c, d, a, b, 11, 0x6d9d6122, 16);
        KW_MD5_STEP(h, b, c, d, a, 14, 0xfde5380c, 23);
        KW_MD5_STEP(h, a, b, c, d, 1, 0xa4beea44, 4);
        KW_MD5_STEP(h, d, a, b, c, 4, 0x4bdecfa9, 11);
        KW_MD5_STEP(h, c, d, a, b, 7, 0xf6bb4b60, 16);
        KW_MD5_STEP(h, b, c, d, a, 10, 0xbebfbc70, 23);
        KW_MD5_STEP(h, a, b, c, d, 13, 0x289b7ec6, 4);
        KW_MD5_STEP(h, d, a, b, c, 0, 0xeaa127fa, 11);
        KW_MD5_STEP(h, c, d, a, b, 3, 0xd4ef3085, 16);
        KW_MD5_STEP(h, b, c, d, a, 6, 0x04881d05, 23);
        KW_MD5_STEP(h, a, b, c, d, 9, 0xd9d4d039, 4);
        KW_MD5_STEP(h, d, a, b, c, 12, 0xe6db99e5, 11);
        KW_MD5_STEP(h, c, d, a, b, 15, 0x1fa27cf8, 16);
        KW_MD5_STEP(h, b, c, d, a, 2, 0xc4ac5665, 23);
        KW_MD5_STEP(i, a, b, c, d, 0, 0xf4292244, 6);
        KW_MD5_STEP(i, d, a, b, c, 7, 0x432aff97, 10);
        KW_MD5_STEP(i, c, d, a, b, 14, 0xab9423a7, 15);
        KW_MD5_STEP(i, b, c, d, a, 5, 0xfc93a039, 21);
        KW_MD5_STEP(i, a, b, c, d, 12, 0x655b59c3, 6);
        KW_MD5_STEP(i, d, a, b, c, 3, 0x8f0ccc92, 10);
        KW_MD5_STEP(i, c, d, a, b, 10, 0xffeff47d, 15);
        KW_MD5_STEP(i, b, c, d, a, 1, 0x85845dd1, 21);
        KW_MD5_STEP(i, a, b, c, d, 8, 0x6fa87e4f, 6);
        KW_MD5_STEP(i, d, a, b, c, 15, 0xfe2ce6e0, 10);
        KW_MD5_STEP(i, c, d, a, b, 6, 0xa3014314, 15);
        KW_MD5_STEP(i, b, c, d, a, 13, 0x4e0811a1, 21);
        KW_MD5_STEP(i, a, b, c, d, 4, 0xf7537e82, 6);
        KW_MD5_STEP(i, d, a, b, c, 11, 0xbd3af235, 10);
        KW_MD5_STEP(i, c, d, a, b, 2, 0x2ad7d2bb, 15);
        KW_MD5_STEP(i, b, c, d, a, 9, 0xeb86d391, 21);
        a0 += a, b0 += b, c0 += c, d0 += d;
    }
    state_[0] = a0, state_[1] = b0, state_[2] = c0, state_[3] = d0;
}

#undef KW_MD5_STEP

void Md5::update(const void* data, std::size_t size) {
    auto* p = static_cast<const unsigned char*>(data);
    length_ += size;
    if (pendingSize_ > 0) {
        std::size_t take = std::min(size, sizeof pending_ - pendingSize_);
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take, p += take, size -= take;
        if (pendingSize_ < sizeof pending_)
            return;
        blocks(pending_, 1);
        pendingSize_ = 0;
    }
    blocks(p, size / 64);
    p += size / 64 * 64;
    pendingSize_ = size % 64;
    std::memcpy(pending_, p, pendingSize_);
}

std::array<std::uint8_t, 16> Md5::finish() {
    std::uint64_t bits = length_ * 8;
    unsigned char tail[64 + 8] = {0x80};
    std::size_t padding = (pendingSize_ < 56 ? 56 : 120) - pendingSize_;
    for (int k = 0; k < 8; ++k)
        tail[padding + k] = static_cast<unsigned char>(bits >> (8 * k));
    update(tail, padding + 8);
    std::array<std::uint8_t, 16> out{};
    for (int k = 0; k < 16; ++k)
        out[k] = static_cast<std::uint8_t>(state_[k / 4] >> (8 * (k % 4)));
    *this = Md5();
    return out;
}

} // namespace kw
