// Locale text operations through CharLowerBuff, CompareString and MultiByteToWideChar.
#include "results/LocaleText.h"

#include <windows.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace kw {

std::wstring lowerText(std::wstring_view text) {
    std::wstring s(text);
    if (!s.empty())
        CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string lowerAnsiText(std::wstring_view text) {
    std::wstring lower = lowerText(text);
    if (lower.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, lower.data(), static_cast<int>(lower.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, lower.data(), static_cast<int>(lower.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

bool containsNoCase(std::wstring_view hay, std::wstring_view needle) {
    if (needle.empty())
        return true;
    if (needle.size() > hay.size())
        return false;
    return lowerText(hay).find(lowerText(needle)) != std::wstring::npos;
}

bool containsNoCaseUtf8(std::string_view hay, std::string_view needle) {
    return containsNoCase(toWide(hay), toWide(needle));
}

int compareNoCase(std::wstring_view a, std::wstring_view b) {
    int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                           b.data(), static_cast<int>(b.size()));
    return r - CSTR_EQUAL;
}

namespace {

bool asciiAlnum(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// Locales whose order of the Latin letters and digits has no contractions ("ch", "cs" and the like).
bool plainLatinOrder() {
    static const bool plain = [] {
        LANGID lang = PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID()));
        return lang == LANG_RUSSIAN || lang == LANG_ENGLISH || lang == LANG_UKRAINIAN ||
               lang == LANG_BELARUSIAN;
    }();
    return plain;
}

} // namespace

bool quickOrderHolds() {
    return plainLatinOrder();
}

int quickOrderOf(wchar_t x, wchar_t y) {
    if (!plainLatinOrder() || !asciiAlnum(x) || !asciiAlnum(y))
        return 2;
    if (x >= L'A' && x <= L'Z')
        x = static_cast<wchar_t>(x + 32);
    if (y >= L'A' && y <= L'Z')
        y = static_cast<wchar_t>(y + 32);
    return x == y ? 0 : x < y ? -1 : 1;
}

int compareSortKeys(std::wstring_view a, std::wstring_view b) {
    // Most keys differ early, in a Latin letter or digit after a common start; there digits come before
    // letters and letters go by the alphabet, case ignored, as the locale orders them, and an identical
    // start weighs the same in both keys. Anything else (punctuation or Cyrillic where they differ, one
    // key a prefix of the other) asks the locale.
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i])
            continue;
        int order = quickOrderOf(a[i], b[i]);
        if (order == 2)
            break;
        if (order != 0)
            return order;
    }
    return compareNoCase(a, b);
}

namespace {

UINT codePageOf(Encoding e) {
    return e == Encoding::Oem ? CP_OEMCP : CP_ACP;
}

bool hasByteOrderMark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
           bytes.starts_with("\xFE\xFF");
}

// A code page of one byte per character maps each byte alike wherever it stands: its 256 characters
// are asked for once and a large file is mapped through that table (the system's call takes seconds
// over a table of a million rows).
bool singleByteMap(UINT cp, wchar_t (&map)[256]) {
    CPINFO info{};
    if (!GetCPInfo(cp, &info) || info.MaxCharSize != 1)
        return false;
    char all[256];
    for (int b = 0; b < 256; ++b)
        all[b] = static_cast<char>(b);
    return MultiByteToWideChar(cp, 0, all, 256, map, 256) == 256;
}

} // namespace

std::wstring decodeText(std::string_view bytes, Encoding fallback) {
    auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
    if (starts("\xEF\xBB\xBF"))
        return toWide(bytes.substr(3));
    bool le = starts("\xFF\xFE"), be = starts("\xFE\xFF");
    if (le || be) {
        std::wstring out;
        out.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            auto lo = static_cast<unsigned char>(bytes[le ? i : i + 1]);
            auto hi = static_cast<unsigned char>(bytes[le ? i + 1 : i]);
            out.push_back(static_cast<wchar_t>(lo | (hi << 8)));
        }
        return out;
    }
    if (bytes.empty())
        return {};
    UINT cp = codePageOf(fallback);
    wchar_t map[256];
    if (singleByteMap(cp, map)) {
        std::wstring w(bytes.size(), L'\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            w[i] = map[static_cast<unsigned char>(bytes[i])];
        return w;
    }
    // No code page gives more UTF-16 units than it has bytes: one pass into a buffer of that size.
    std::wstring w(bytes.size(), L'\0');
    int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(),
                                static_cast<int>(w.size()));
    w.resize(static_cast<size_t>(std::max(n, 0)));
    return w;
}

std::optional<std::wstring> readDecodedFile(FileReader& file, Encoding fallback, std::int64_t limit,
                                            bool* cut) {
    // The bytes the file is said to have are read into the upper half of the text's memory; unit i is then
    // written over bytes 2i and 2i+1, below byte n+i, which was read before: front to back, no byte is
    // overwritten before it is decoded.
    const std::int64_t said = std::min(file.size(), limit);
    const size_t n = said > 0 && said < (std::int64_t{1} << 30) ? static_cast<size_t>(said) : 0;
    std::wstring text(n, L'\0');
    char* const bytes = reinterpret_cast<char*>(text.data()) + n;
    size_t have = 0;
    while (have < n) {
        std::int64_t got = file.read(bytes + have, n - have);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        have += static_cast<size_t>(got);
    }
    // Whatever the file holds beyond its size (it grew meanwhile, or its size was not told), up to the limit.
    std::string rest;
    bool more = false;
    for (char piece[16384];;) {
        std::int64_t got = file.read(piece, sizeof piece);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        std::int64_t room = limit - static_cast<std::int64_t>(have + rest.size());
        if (got > room) {
            rest.append(piece, static_cast<size_t>(std::max<std::int64_t>(room, 0)));
            more = true;
            break;
        }
        rest.append(piece, static_cast<size_t>(got));
    }
    if (cut)
        *cut = more;
    // A text cut short ends after its last whole line.
    auto wholeLines = [more](std::wstring t) {
        if (more) {
            size_t last = t.rfind(L'\n');
            t.resize(last == std::wstring::npos ? 0 : last + 1);
        }
        return t;
    };
    wchar_t map[256];
    if (have == n && rest.empty() && !hasByteOrderMark(std::string_view(bytes, n)) &&
        singleByteMap(codePageOf(fallback), map)) {
        for (size_t i = 0; i < n; ++i)
            text[i] = map[static_cast<unsigned char>(bytes[i])];
        return wholeLines(std::move(text));
    }
    std::string all(bytes, have);
    text = {};
    all += rest;
    return wholeLines(decodeText(all, fallback));
}

bool isRichText(std::string_view bytes) {
    return bytes.substr(0, 5) == "{\\rtf";
}

} // namespace kw
