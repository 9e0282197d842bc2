#include "platform/Protect.h"

#include <windows.h>
// after windows.h, which it needs
#include <wincrypt.h>

#include <vector>

namespace kw {
namespace {

// LocalFree for what the protection functions hand back.
struct LocalBlob {
    DATA_BLOB blob{};
    ~LocalBlob() {
        if (blob.pbData)
            LocalFree(blob.pbData);
    }
};

} // namespace

std::optional<std::string> protectForUser(std::string_view secret) {
    DATA_BLOB in{static_cast<DWORD>(secret.size()),
                 reinterpret_cast<BYTE*>(const_cast<char*>(secret.data()))};
    LocalBlob out;
    if (!CryptProtectData(&in, L"KW_Scan! library", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out.blob))
        return std::nullopt;
    DWORD length = 0;
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    if (!CryptBinaryToStringA(out.blob.pbData, out.blob.cbData, flags, nullptr, &length))
        return std::nullopt;
    std::string text(length, '\0');
    if (!CryptBinaryToStringA(out.blob.pbData, out.blob.cbData, flags, text.data(), &length))
        return std::nullopt;
    text.resize(length);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::optional<std::string> unprotectForUser(std::string_view base64) {
    std::string text(base64);
    DWORD length = 0;
    if (text.empty() || !CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()),
                                              CRYPT_STRING_BASE64, nullptr, &length, nullptr, nullptr))
        return std::nullopt;
    std::vector<BYTE> bytes(length);
    if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                              bytes.data(), &length, nullptr, nullptr))
        return std::nullopt;
    DATA_BLOB in{length, bytes.data()};
    LocalBlob out;
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob))
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(out.blob.pbData), out.blob.cbData);
}

} // namespace kw
