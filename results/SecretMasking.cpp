// Masking secrets in the text files of a package: the line walk that turns what the rules find into
// byte edits in the file's own encoding, and the list of what was masked.
#include "results/SecretMasking.h"

#include <algorithm>

#include "platform/Text.h"
#include "results/LineDecoding.h"
#include "results/SecretRules.h"

namespace kw {
namespace {

// A quick look at a line's bytes: could any rule find something in it? Every rule needs one of the secret
// words (or "://"); "па" stands for "пароль" in Windows-1251, OEM 866 and UTF-8.
bool bytesMayHoldSecret(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    auto low = [&](std::size_t i) { return p[i] >= 'A' && p[i] <= 'Z' ? p[i] + 32 : p[i]; };
    auto is = [&](std::size_t i, const char* w) {
        for (; *w; ++w, ++i)
            if (i >= n || low(i) != static_cast<unsigned char>(*w))
                return false;
        return true;
    };
    for (std::size_t i = 0; i < n; ++i) {
        switch (low(i)) {
        case 'p':
            if (is(i + 1, "ass") || is(i + 1, "wd"))
                return true;
            break;
        case 's':
            if (is(i + 1, "ecret"))
                return true;
            break;
        case 't':
            if (is(i + 1, "oken"))
                return true;
            break;
        case 'a':
            if (is(i + 1, "pikey") || is(i + 1, "pi_key"))
                return true;
            break;
        case ':':
            if (is(i + 1, "//"))
                return true;
            break;
        case 0xEF: // п, П in Windows-1251
        case 0xCF:
            if (i + 1 < n && (p[i + 1] == 0xE0 || p[i + 1] == 0xC0))
                return true;
            break;
        case 0xAF: // п, П in OEM 866
        case 0x8F:
            if (i + 1 < n && (p[i + 1] == 0xA0 || p[i + 1] == 0x80))
                return true;
            break;
        case 0xD0: // п, П in UTF-8
            if (i + 3 < n && (p[i + 1] == 0xBF || p[i + 1] == 0x9F) && p[i + 2] == 0xD0 &&
                (p[i + 3] == 0xB0 || p[i + 3] == 0x90))
                return true;
            break;
        default:
            break;
        }
    }
    return false;
}

std::string maskBytes(TextEncoding encoding) {
    std::string out;
    for (int i = 0; i < 8; ++i) {
        if (encoding == TextEncoding::Utf16Le)
            out += std::string("*\0", 2);
        else if (encoding == TextEncoding::Utf16Be)
            out += std::string("\0*", 2);
        else
            out += '*';
    }
    return out;
}

bool endsWithIgnoringCase(std::string_view s, std::string_view tail) {
    if (s.size() < tail.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char a = s[s.size() - tail.size() + i], b = tail[i];
        if ((a >= 'A' && a <= 'Z' ? a + 32 : a) != b)
            return false;
    }
    return true;
}

} // namespace

bool isMaskableText(std::string_view head) {
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF"))
        return true;
    return head.find('\0') == std::string_view::npos;
}

TextEncoding textEncodingOf(std::string_view fileName, std::string_view head) {
    if (head.starts_with("\xFF\xFE"))
        return TextEncoding::Utf16Le;
    if (head.starts_with("\xFE\xFF"))
        return TextEncoding::Utf16Be;
    if (head.starts_with("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    if (fileName.size() >= 5 && sameTextIgnoringCase(fileName.substr(0, 5), "(cmd)"))
        return TextEncoding::Oem;
    return TextEncoding::Ansi;
}

SecretMasker::SecretMasker(std::string_view fileName, std::string_view head)
    : encoding_(textEncodingOf(fileName, head)), richText_(endsWithIgnoringCase(fileName, ".rtf")) {}

std::size_t SecretMasker::wholeLines(std::string_view bytes) const {
    if (!isUtf16(encoding_)) {
        std::size_t nl = bytes.rfind('\n');
        return nl == std::string_view::npos ? 0 : nl + 1;
    }
    bool le = encoding_ == TextEncoding::Utf16Le;
    for (std::size_t i = bytes.size() & ~std::size_t(1); i >= 2; i -= 2) {
        unsigned char lo = static_cast<unsigned char>(bytes[le ? i - 2 : i - 1]);
        unsigned char hi = static_cast<unsigned char>(bytes[le ? i - 1 : i - 2]);
        if (lo == '\n' && hi == 0)
            return i;
    }
    return 0;
}

void SecretMasker::feed(std::string_view piece, std::int64_t offset, std::vector<ByteEdit>& edits,
                        std::vector<MaskedValue>& found) {
    const std::size_t unit = isUtf16(encoding_) ? 2 : 1;
    const bool le = encoding_ != TextEncoding::Utf16Be;
    auto isUnit = [&](std::size_t i, char c) {
        if (unit == 1)
            return piece[i] == c;
        return piece[i + (le ? 0 : 1)] == c && piece[i + (le ? 1 : 0)] == '\0';
    };
    std::size_t pos = 0;
    while (pos + unit <= piece.size() || (unit == 1 && pos < piece.size())) {
        std::size_t end = pos;
        while (end + unit <= piece.size() && !isUnit(end, '\n'))
            end += unit;
        bool lineBreak = end + unit <= piece.size();
        std::size_t lineBegin = pos;
        if (first_) {
            first_ = false;
            std::string_view bom = bomOf(encoding_);
            if (piece.substr(pos).starts_with(bom))
                lineBegin += bom.size();
        }
        std::size_t lineEnd = end;
        if (lineEnd >= lineBegin + unit && isUnit(lineEnd - unit, '\r'))
            lineEnd -= unit;
        maskLine(piece.substr(lineBegin, lineEnd > lineBegin ? lineEnd - lineBegin : 0),
                 offset + static_cast<std::int64_t>(lineBegin), edits, found);
        pos = lineBreak ? end + unit : piece.size();
    }
}

void SecretMasker::maskLine(std::string_view raw, std::int64_t offset, std::vector<ByteEdit>& edits,
                            std::vector<MaskedValue>& found) {
    ++line_;
    const bool carried = continuation_ || !pendingXml_.empty();
    if (!carried && !isUtf16(encoding_) && !bytesMayHoldSecret(raw))
        return;
    thread_local std::wstring text;
    thread_local std::vector<std::size_t> at;
    decodeLine(raw, encoding_, text, at);
    if (!carried && isUtf16(encoding_) && !unitsMayHoldSecret(text))
        return;

    std::vector<SecretSpan> spans;
    SecretCarry carry{continuation_, pendingXml_, pendingLines_};
    findSecretValues(text, richText_, carry, spans);
    continuation_ = carry.continuation;
    bool pendingBefore = !pendingXml_.empty();
    pendingXml_ = carry.pendingXml;
    pendingLines_ = carry.pendingLines;
    if (pendingBefore && !pendingXml_.empty() && --pendingLines_ <= 0)
        pendingXml_.clear();

    std::sort(spans.begin(), spans.end(), [](const SecretSpan& a, const SecretSpan& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end > b.end;
    });
    const std::string mask = maskBytes(encoding_);
    std::size_t covered = 0;
    for (const SecretSpan& s : spans) {
        if (s.begin < covered)
            continue;
        covered = s.end;
        std::size_t from = at[s.begin], to = at[s.end];
        // A value masked already (a package saved again) is listed, and stays as it is.
        if (std::wstring_view(text).substr(s.begin, s.end - s.begin) != L"********")
            edits.push_back(
                {offset + static_cast<std::int64_t>(from), static_cast<std::int64_t>(to - from), mask});
        if (s.counted)
            found.push_back({line_, toUtf8(s.name)});
    }
}

MaskedText maskSecrets(std::string_view fileName, std::string_view bytes) {
    MaskedText out;
    if (!isMaskableText(bytes.substr(0, 65536))) {
        out.bytes = bytes;
        return out;
    }
    SecretMasker masker(fileName, bytes.substr(0, 4));
    std::vector<ByteEdit> edits;
    masker.feed(bytes, 0, edits, out.found);
    out.bytes = applyEdits(bytes, edits);
    return out;
}

std::string applyEdits(std::string_view bytes, const std::vector<ByteEdit>& edits) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    for (const ByteEdit& e : edits) {
        auto from = static_cast<std::size_t>(e.offset);
        out.append(bytes.substr(at, from - at));
        out += e.bytes;
        at = from + static_cast<std::size_t>(e.length);
    }
    out.append(bytes.substr(std::min(at, bytes.size())));
    return out;
}

std::string maskedListText(const std::vector<MaskedFile>& files) {
    auto cell = [](std::string s) {
        for (char& c : s)
            if (c == '\t' || c == '\r' || c == '\n')
                c = ' ';
        return s;
    };
    std::string text = "Имя файла:\tСтрока:\tПараметр:\r\n";
    for (const MaskedFile& f : files)
        for (const MaskedValue& v : f.values)
            text += cell(f.name) + "\t" + std::to_string(v.line) + "\t" + cell(v.name) + "\r\n";
    return utf8ToAnsi(text);
}

} // namespace kw
