// Lines of a text file as UTF-16 code units, each with its byte offset in the line.
#include "results/LineDecoding.h"

#include <array>

#include "platform/Text.h"

namespace kw {
namespace {

// The characters of the single-byte code pages, byte by byte.
struct ByteTable {
    std::array<wchar_t, 256> chars{};
    explicit ByteTable(bool oem) {
        for (int b = 0; b < 256; ++b) {
            std::string one(1, static_cast<char>(b));
            std::u32string cp = decodeUtf8(oem ? oemToUtf8(one) : ansiToUtf8(one));
            chars[static_cast<std::size_t>(b)] =
                b < 0x80 ? static_cast<wchar_t>(b)
                         : (cp.size() == 1 && cp[0] < 0x10000 ? static_cast<wchar_t>(cp[0]) : L'\xFFFD');
        }
    }
};

const ByteTable& byteTable(bool oem) {
    static const ByteTable ansi(false), oemTable(true);
    return oem ? oemTable : ansi;
}

// A UTF-8 sequence at s[i]: its length and code point, or 0 when it is not one.
std::size_t utf8At(std::string_view s, std::size_t i, char32_t& cp) {
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size())
        return 0;
    cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

bool isUtf8WithLetters(std::string_view s) {
    bool high = false;
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        std::size_t len = utf8At(s, i, cp);
        if (len == 0)
            return false;
        high = high || len > 1;
        i += len;
    }
    return high;
}

} // namespace

bool isUtf16(TextEncoding e) {
    return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be;
}

std::string_view bomOf(TextEncoding e) {
    switch (e) {
    case TextEncoding::Utf16Le:
        return "\xFF\xFE";
    case TextEncoding::Utf16Be:
        return "\xFE\xFF";
    case TextEncoding::Utf8:
        return "\xEF\xBB\xBF";
    default:
        return "";
    }
}

// A line as code units, with the byte offset of each unit in the line (and of its end).
void decodeLine(std::string_view raw, TextEncoding encoding, std::wstring& text,
                std::vector<std::size_t>& at) {
    text.clear();
    at.clear();
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        bool le = encoding == TextEncoding::Utf16Le;
        for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
            auto lo = static_cast<unsigned char>(raw[le ? i : i + 1]);
            auto hi = static_cast<unsigned char>(raw[le ? i + 1 : i]);
            text.push_back(static_cast<wchar_t>(lo | (hi << 8)));
            at.push_back(i);
        }
        at.push_back(raw.size() & ~std::size_t(1));
        return;
    }
    if (encoding == TextEncoding::Utf8 || isUtf8WithLetters(raw)) {
        for (std::size_t i = 0; i < raw.size();) {
            char32_t cp = 0xFFFD;
            std::size_t len = utf8At(raw, i, cp);
            if (len == 0) {
                len = 1;
                cp = 0xFFFD;
            }
            if (cp >= 0x10000) {
                text.push_back(static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10)));
                at.push_back(i);
                cp = 0xDC00 + ((cp - 0x10000) & 0x3FF);
            }
            text.push_back(static_cast<wchar_t>(cp));
            at.push_back(i);
            i += len;
        }
        at.push_back(raw.size());
        return;
    }
    const ByteTable& table = byteTable(encoding == TextEncoding::Oem);
    text.resize(raw.size());
    at.resize(raw.size() + 1);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        text[i] = table.chars[static_cast<unsigned char>(raw[i])];
        at[i] = i;
    }
    at[raw.size()] = raw.size();
}

} // namespace kw
