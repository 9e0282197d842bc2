// Code-page conversions through MultiByteToWideChar / WideCharToMultiByte.
#include "platform/Text.h"

#include <windows.h>

namespace kw {
namespace {

std::wstring toWideIn(UINT cp, std::string_view s) {
    if (s.empty())
        return {};
    int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string fromWideIn(UINT cp, std::wstring_view w) {
    if (w.empty())
        return {};
    int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

} // namespace

std::wstring toWide(std::string_view utf8) {
    return toWideIn(CP_UTF8, utf8);
}
std::string toUtf8(std::wstring_view wide) {
    return fromWideIn(CP_UTF8, wide);
}
std::string utf8ToAnsi(std::string_view utf8) {
    return fromWideIn(CP_ACP, toWide(utf8));
}
std::string ansiToUtf8(std::string_view ansi) {
    return toUtf8(toWideIn(CP_ACP, ansi));
}
std::string oemToUtf8(std::string_view oem) {
    return toUtf8(toWideIn(CP_OEMCP, oem));
}
unsigned ansiCodePage() {
    return GetACP();
}
unsigned oemCodePage() {
    return GetOEMCP();
}

std::optional<std::string> ansiBytesOf(char32_t ch) {
    wchar_t w[2];
    int len = 1;
    if (ch >= 0x10000) {
        ch -= 0x10000;
        w[0] = static_cast<wchar_t>(0xD800 + (ch >> 10));
        w[1] = static_cast<wchar_t>(0xDC00 + (ch & 0x3FF));
        len = 2;
    } else {
        w[0] = static_cast<wchar_t>(ch);
    }
    char out[8];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, len, out, sizeof out, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    return std::string(out, static_cast<size_t>(n));
}

std::string systemErrorText(unsigned code) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::wstring text = n && buf ? std::wstring(buf, n) : L"";
    if (buf)
        LocalFree(buf);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? "Системная ошибка " + std::to_string(code) : toUtf8(text);
}

std::u32string decodeUtf8(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool bad = false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((cc & 0xC0) != 0x80) {
                bad = true;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (bad) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::wstring caseKey(std::string_view text) {
    std::wstring wide = toWide(text);
    if (!wide.empty())
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return wide;
}

bool sameTextIgnoringCase(std::string_view a, std::string_view b) {
    std::wstring wa = toWide(a), wb = toWide(b);
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, wa.data(), static_cast<int>(wa.size()),
                          wb.data(), static_cast<int>(wb.size())) == CSTR_EQUAL;
}

} // namespace kw
