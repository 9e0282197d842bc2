// Digests through BCrypt: one algorithm provider per algorithm for the process, one hash object per
// digest.
#include "platform/Digest.h"

#include <windows.h>

#include <bcrypt.h>

namespace kw {
namespace {

BCRYPT_ALG_HANDLE openProvider(const wchar_t* algorithm) {
    BCRYPT_ALG_HANDLE h = nullptr;
    if (BCryptOpenAlgorithmProvider(&h, algorithm, nullptr, 0) < 0)
        h = nullptr;
    return h;
}

// The providers are opened once and shared: BCrypt allows hash objects of one provider on many threads.
BCRYPT_ALG_HANDLE provider(DigestAlgorithm algorithm) {
    static BCRYPT_ALG_HANDLE md5 = openProvider(BCRYPT_MD5_ALGORITHM);
    static BCRYPT_ALG_HANDLE sha256 = openProvider(BCRYPT_SHA256_ALGORITHM);
    return algorithm == DigestAlgorithm::Md5 ? md5 : sha256;
}

} // namespace

struct Digest::State {
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash)
            BCryptDestroyHash(hash);
    }
};

Digest::Digest(DigestAlgorithm algorithm) : state_(std::make_unique<State>()) {
    if (BCRYPT_ALG_HANDLE p = provider(algorithm)) {
        if (BCryptCreateHash(p, &state_->hash, nullptr, 0, nullptr, 0, 0) < 0)
            state_->hash = nullptr;
    }
}

Digest::~Digest() = default;

bool Digest::ok() const {
    return state_->hash != nullptr;
}

void Digest::update(const void* data, std::size_t size) {
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

void Digest::finish(std::uint8_t* out, std::size_t size) {
    if (state_->hash) {
        BCryptFinishHash(state_->hash, out, static_cast<ULONG>(size), 0);
        BCryptDestroyHash(state_->hash);
        state_->hash = nullptr;
    }
}

std::string lowerHex(const std::uint8_t* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out(size * 2, '0');
    for (std::size_t i = 0; i < size; ++i) {
        out[2 * i] = digits[bytes[i] >> 4];
        out[2 * i + 1] = digits[bytes[i] & 15];
    }
    return out;
}

std::string sha256Hex(std::string_view bytes) {
    Sha256 hash;
    hash.update(bytes);
    return lowerHex(hash.finish());
}

} // namespace kw
