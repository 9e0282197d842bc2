// MSZIP, the compression of our cabinets' data blocks: each block is the mark "CK" and a raw deflate
// stream that ends in the block, and may copy from the 32 KB the folder unpacked before it.
#pragma once
#include <cstddef>
#include <memory>

namespace kw {

inline constexpr std::size_t kMszipBlock = 32768;            // what one block unpacks to at most
inline constexpr std::size_t kMszipMaxPacked = 32768 + 6144; // what one block may hold packed

// Compresses blocks each on its own, without the history a decoder would allow: the blocks of a folder
// can then be packed on several threads and still make the same bytes. One per thread.
class MszipEncoder {
  public:
    MszipEncoder();
    ~MszipEncoder();
    MszipEncoder(const MszipEncoder&) = delete;
    MszipEncoder& operator=(const MszipEncoder&) = delete;
    // Packs `size` (at most kMszipBlock) bytes into `out` (kMszipMaxPacked bytes); the packed size, or 0
    // when zlib fails.
    std::size_t encode(const unsigned char* in, std::size_t size, unsigned char* out);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Unpacks a folder's blocks in order, each with what the folder unpacked before it as its history.
class MszipDecoder {
  public:
    MszipDecoder();
    ~MszipDecoder();
    MszipDecoder(const MszipDecoder&) = delete;
    MszipDecoder& operator=(const MszipDecoder&) = delete;
    // Starts a folder: no history.
    void restart();
    // Unpacks one block into `out`; true when it is a complete stream of exactly `declared` bytes.
    bool decode(const unsigned char* data, std::size_t size, unsigned char* out, std::size_t declared);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kw
