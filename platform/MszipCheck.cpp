#include "platform/MszipCheck.h"

#include <array>
#include <cstdint>

namespace kw {
namespace {

constexpr std::size_t kWindow = 32768;
constexpr int kMaxBits = 15;

// Bits of the stream, least significant first, as deflate packs them.
class BitReader {
  public:
    BitReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    // `count` bits (at most 16) as a number; sets failed() when the stream ends first.
    std::uint32_t bits(int count) {
        while (held_ < count) {
            if (at_ == size_) {
                failed_ = true;
                return 0;
            }
            buffer_ |= static_cast<std::uint32_t>(data_[at_++]) << held_;
            held_ += 8;
        }
        std::uint32_t value = buffer_ & ((1u << count) - 1);
        buffer_ >>= count;
        held_ -= count;
        return value;
    }
    void toByteBoundary() {
        buffer_ = 0;
        held_ = 0;
    }
    // Skips `count` whole bytes (after toByteBoundary); false when the stream has fewer.
    bool skipBytes(std::size_t count) {
        if (count > size_ - at_)
            return false;
        at_ += count;
        return true;
    }
    bool failed() const { return failed_; }

  private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::uint32_t buffer_ = 0;
    int held_ = 0;
    bool failed_ = false;
};

// A canonical Huffman code: how many codes of each length, and the symbols in code order.
struct HuffmanCode {
    std::array<std::uint16_t, kMaxBits + 1> count{};
    std::array<std::uint16_t, 288> symbol{};
    bool usable = false;
};

// Builds the code from the code lengths. A code that claims more codes than its lengths allow is never
// usable; one that leaves codes unused is usable only when `allowSingle` and it has a single code of one
// bit (a distance code with one distance), as the usual decoders accept.
HuffmanCode buildCode(const std::uint8_t* lengths, int n, bool allowSingle) {
    HuffmanCode code;
    for (int i = 0; i < n; ++i)
        ++code.count[lengths[i]];
    if (code.count[0] == n) {
        code.usable = allowSingle; // no codes: fine for a distance code of a block with literals only
        return code;
    }
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
        left <<= 1;
        left -= code.count[len];
        if (left < 0)
            return code;
    }
    std::array<std::uint16_t, kMaxBits + 1> offsets{};
    for (int len = 1; len < kMaxBits; ++len)
        offsets[len + 1] = static_cast<std::uint16_t>(offsets[len] + code.count[len]);
    for (int i = 0; i < n; ++i)
        if (lengths[i] != 0)
            code.symbol[offsets[lengths[i]]++] = static_cast<std::uint16_t>(i);
    code.usable = left == 0 || (allowSingle && n - code.count[0] == 1 && code.count[1] == 1);
    return code;
}

// The next symbol, or -1 when the bits match no code or the stream ends.
int decodeSymbol(BitReader& in, const HuffmanCode& code) {
    int value = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
        value |= static_cast<int>(in.bits(1));
        if (in.failed())
            return -1;
        int count = code.count[len];
        if (value - count < first)
            return code.symbol[static_cast<std::size_t>(index + (value - first))];
        index += count;
        first = (first + count) << 1;
        value <<= 1;
    }
    return -1;
}

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                             33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class BlockCounter {
  public:
    BlockCounter(BitReader& in, std::size_t declared, std::size_t history)
        : in_(in), declared_(declared), history_(history) {}

    bool stored() {
        in_.toByteBoundary();
        std::uint32_t length = in_.bits(16), complement = in_.bits(16);
        if (in_.failed() || (length ^ 0xFFFFu) != complement || !in_.skipBytes(length))
            return false;
        return add(length);
    }

    bool fixed() {
        // The fixed codes: 288 literals and lengths, 32 distances of five bits (30 and 31 are never valid).
        std::uint8_t lengths[320];
        for (int i = 0; i < 288; ++i)
            lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
        for (int i = 288; i < 320; ++i)
            lengths[i] = 5;
        return codes(buildCode(lengths, 288, false), buildCode(lengths + 288, 32, false));
    }

    bool dynamic() {
        static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                    11, 4,  12, 3, 13, 2, 14, 1, 15};
        int literals = static_cast<int>(in_.bits(5)) + 257, distances = static_cast<int>(in_.bits(5)) + 1;
        int lengthCodes = static_cast<int>(in_.bits(4)) + 4;
        if (in_.failed() || literals > 286 || distances > 30)
            return false;
        std::uint8_t lengths[320] = {};
        for (int i = 0; i < lengthCodes; ++i)
            lengths[kOrder[i]] = static_cast<std::uint8_t>(in_.bits(3));
        HuffmanCode lengthCode = buildCode(lengths, 19, false);
        if (in_.failed() || !lengthCode.usable)
            return false;
        for (int at = 0; at < literals + distances;) {
            int symbol = decodeSymbol(in_, lengthCode);
            if (symbol < 0)
                return false;
            if (symbol < 16) {
                lengths[at++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint8_t repeated = 0;
            int times;
            if (symbol == 16) {
                if (at == 0)
                    return false;
                repeated = lengths[at - 1];
                times = 3 + static_cast<int>(in_.bits(2));
            } else if (symbol == 17) {
                times = 3 + static_cast<int>(in_.bits(3));
            } else {
                times = 11 + static_cast<int>(in_.bits(7));
            }
            if (in_.failed() || at + times > literals + distances)
                return false;
            while (times-- > 0)
                lengths[at++] = repeated;
        }
        if (lengths[256] == 0) // a block must be able to end
            return false;
        return codes(buildCode(lengths, literals, false), buildCode(lengths + literals, distances, true));
    }

    std::size_t written() const { return written_; }

  private:
    bool add(std::size_t count) {
        if (count > declared_ - written_)
            return false;
        written_ += count;
        return true;
    }

    bool codes(const HuffmanCode& literal, const HuffmanCode& distance) {
        if (!literal.usable || !distance.usable)
            return false;
        for (;;) {
            int symbol = decodeSymbol(in_, literal);
            if (symbol < 0)
                return false;
            if (symbol < 256) {
                if (!add(1))
                    return false;
                continue;
            }
            if (symbol == 256)
                return true;
            symbol -= 257;
            if (symbol >= 29)
                return false;
            std::size_t length = kLengthBase[symbol] + in_.bits(kLengthExtra[symbol]);
            int d = decodeSymbol(in_, distance);
            if (d < 0 || d >= 30)
                return false;
            std::size_t back = kDistanceBase[d] + in_.bits(kDistanceExtra[d]);
            if (in_.failed() || back > history_ + written_ || back > kWindow)
                return false;
            if (!add(length))
                return false;
        }
    }

    BitReader& in_;
    std::size_t declared_;
    std::size_t history_;
    std::size_t written_ = 0;
};

} // namespace

bool mszipBlockDecodes(const unsigned char* data, std::size_t size, std::size_t declared,
                       std::size_t history) {
    if (size < 2 || data[0] != 'C' || data[1] != 'K' || declared > kWindow)
        return false;
    BitReader in(data + 2, size - 2);
    BlockCounter counter(in, declared, history < kWindow ? history : kWindow);
    for (bool last = false; !last;) {
        last = in.bits(1) != 0;
        std::uint32_t type = in.bits(2);
        if (in.failed())
            return false;
        bool ok = type == 0 ? counter.stored() : type == 1 ? counter.fixed() : type == 2 && counter.dynamic();
        if (!ok)
            return false;
    }
    return counter.written() == declared;
}

} // namespace kw
