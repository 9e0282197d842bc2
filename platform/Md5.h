// MD5 (RFC 1321) computed in the process: the inventory hashes every file of large trees, and a hash
// object of the system's provider costs a few calls per file on top of the hashing itself.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace kw {

class Md5 {
  public:
    bool ok() const { return true; } // nothing to open, unlike the provider's digests
    void update(const void* data, std::size_t size);
    // The digest; the object starts afresh afterwards.
    std::array<std::uint8_t, 16> finish();

  private:
    void blocks(const unsigned char* p, std::size_t count);

    std::uint32_t state_[4] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
    std::uint64_t length_ = 0; // bytes so far
    unsigned char pending_[64];
    std::size_t pendingSize_ = 0;
};

} // namespace kw
