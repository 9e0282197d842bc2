// Message digests through the system's crypto provider (BCrypt): SHA-256 (FIPS 180-4) for the contents
// list of a package (MD5 as well, though the inventory hashes with its own, platform/Md5.h). One helper
// holds the provider and the hash object; the algorithms are thin types over it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kw {

enum class DigestAlgorithm { Md5, Sha256 };

class Digest {
  public:
    explicit Digest(DigestAlgorithm algorithm);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    bool ok() const; // false when the provider could not be opened
    void update(const void* data, std::size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    // Writes the digest (16 bytes for MD5, 32 for SHA-256) into out; the object is spent afterwards.
    void finish(std::uint8_t* out, std::size_t size);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

class Sha256 : public Digest {
  public:
    Sha256() : Digest(DigestAlgorithm::Sha256) {}
    std::array<std::uint8_t, 32> finish() {
        std::array<std::uint8_t, 32> out{};
        Digest::finish(out.data(), out.size());
        return out;
    }
};

// Lower-case hexadecimal, two digits a byte.
std::string lowerHex(const std::uint8_t* bytes, std::size_t size);
template <std::size_t N> std::string lowerHex(const std::array<std::uint8_t, N>& bytes) {
    return lowerHex(bytes.data(), N);
}

// The SHA-256 of the bytes in lower-case hex.
std::string sha256Hex(std::string_view bytes);

} // namespace kw
