// MD5 through BCrypt; one algorithm provider for the process, one hash object per digest.
#include "platform/Md5.h"

#include <windows.h>

#include <bcrypt.h>

namespace kw {
namespace {

// The provider is opened once and shared: BCrypt allows hash objects of one provider on many threads.
BCRYPT_ALG_HANDLE md5Provider() {
    static BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE h = nullptr;
        if (BCryptOpenAlgorithmProvider(&h, BCRYPT_MD5_ALGORITHM, nullptr, 0) < 0)
            h = nullptr;
        return h;
    }();
    return provider;
}

} // namespace

struct Md5::State {
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash)
            BCryptDestroyHash(hash);
    }
};

Md5::Md5() : state_(std::make_unique<State>()) {
    if (BCRYPT_ALG_HANDLE p = md5Provider()) {
        if (BCryptCreateHash(p, &state_->hash, nullptr, 0, nullptr, 0, 0) < 0)
            state_->hash = nullptr;
    }
}

Md5::~Md5() = default;

bool Md5::ok() const {
    return state_->hash != nullptr;
}

void Md5::update(const void* data, std::size_t size) {
    if (!state_->hash)
        return;
    auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ULONG chunk = static_cast<ULONG>(size > (1u << 30) ? (1u << 30) : size);
        BCryptHashData(state_->hash, const_cast<PUCHAR>(p), chunk, 0);
        p += chunk;
        size -= chunk;
    }
}

std::array<std::uint8_t, 16> Md5::finish() {
    std::array<std::uint8_t, 16> out{};
    if (state_->hash) {
        BCryptFinishHash(state_->hash, out.data(), static_cast<ULONG>(out.size()), 0);
        BCryptDestroyHash(state_->hash);
        state_->hash = nullptr;
    }
    return out;
}

} // namespace kw
