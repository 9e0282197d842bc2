// MD5 digests (RFC 1321) through the system's crypto provider (BCrypt).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace kw {

class Md5 {
  public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    bool ok() const; // false when the provider could not be opened
    void update(const void* data, std::size_t size);
    std::array<std::uint8_t, 16> finish(); // the object is spent afterwards

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kw
