// A small rich-text reader: groups, control words and symbols, hex and Unicode escapes. Enough for the
// files this program writes and for what a word processor saves; unknown control words are dropped.
#include "results/RichTextPlain.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/Text.h"

namespace kw {
namespace {

// Groups whose content is no text of the document.
constexpr std::string_view kSkippedDestinations[] = {"fonttbl",
                                                     "colortbl",
                                                     "stylesheet",
                                                     "info",
                                                     "pict",
                                                     "object",
                                                     "header",
                                                     "headerl",
                                                     "headerr",
                                                     "headerf",
                                                     "footer",
                                                     "footerl",
                                                     "footerr",
                                                     "footerf",
                                                     "listtable",
                                                     "listoverridetable",
                                                     "rsidtbl",
                                                     "generator",
                                                     "xmlnstbl",
                                                     "themedata",
                                                     "colorschememapping",
                                                     "latentstyles",
                                                     "datastore",
                                                     "fldinst",
                                                     "filetbl",
                                                     "revtbl",
                                                     "pgdsctbl",
                                                     "bkmkstart",
                                                     "bkmkend",
                                                     "nonshppict"};

// Control words that stand for a character.
struct NamedCharacter {
    std::string_view word;
    std::wstring_view text;
};
constexpr NamedCharacter kNamedCharacters[] = {
    {"par", L"\r\n"},         {"line", L"\r\n"},        {"row", L"\r\n"},      {"sect", L"\r\n"},
    {"page", L"\r\n"},        {"tab", L"\t"},           {"cell", L"\t"},       {"emdash", L"\u2014"},
    {"endash", L"\u2013"},    {"bullet", L"\u2022"},    {"lquote", L"\u2018"}, {"rquote", L"\u2019"},
    {"ldblquote", L"\u201C"}, {"rdblquote", L"\u201D"}, {"emspace", L" "},     {"enspace", L" "},
    {"qmspace", L" "}};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class PlainTextReader {
  public:
    explicit PlainTextReader(std::string_view rtf) : rtf_(rtf) {}

    std::wstring read() {
        while (at_ < rtf_.size()) {
            char c = rtf_[at_++];
            if (c == '{') {
                groups_.push_back(group_);
                fallbackLeft_ = 0;
            } else if (c == '}') {
                if (!groups_.empty()) {
                    group_ = groups_.back();
                    groups_.pop_back();
                }
                fallbackLeft_ = 0;
            } else if (c == '\r' || c == '\n') {
                // line breaks of the file are no text
            } else if (c != '\\') {
                byte(c);
            } else if (at_ < rtf_.size()) {
                if (isLetter(rtf_[at_]))
                    controlWord();
                else
                    controlSymbol(rtf_[at_++]);
            }
        }
        flush();
        return std::move(out_);
    }

  private:
    struct Group {
        bool skipped = false;
        int fallbackLength = 1; // \ucN: how many characters stand in for each \uN
    };

    bool consumedAsFallback() {
        if (fallbackLeft_ == 0)
            return false;
        --fallbackLeft_;
        return true;
    }
    // A byte of the ANSI code page; a run of them is decoded together (a code page may use two per
    // character).
    void byte(char b) {
        if (group_.skipped || consumedAsFallback())
            return;
        ansi_ += b;
    }
    void text(std::wstring_view t) {
        if (group_.skipped || consumedAsFallback())
            return;
        flush();
        out_ += t;
    }
    void flush() {
        if (!ansi_.empty())
            out_ += toWide(ansiToUtf8(ansi_));
        ansi_.clear();
    }

    void controlSymbol(char s) {
        switch (s) {
        case '\'': {
            int hi = at_ < rtf_.size() ? hexValue(rtf_[at_]) : -1;
            int lo = at_ + 1 < rtf_.size() ? hexValue(rtf_[at_ + 1]) : -1;
            if (hi >= 0 && lo >= 0) {
                at_ += 2;
                byte(static_cast<char>(hi * 16 + lo));
            }
            break;
        }
        case '\\':
        case '{':
        case '}':
            byte(s);
            break;
        case '~':
            text(L"\u00A0");
            break;
        case '_':
            text(L"\u2011");
            break;
        case '*':
            group_.skipped = true;
            break;
        case '\r':
        case '\n':
            text(L"\r\n"); // a backslash before a line break is a paragraph mark
            break;
        default:
            consumedAsFallback(); // an optional hyphen and the like: no text, yet one character
            break;
        }
    }

    void controlWord() {
        size_t start = at_;
        while (at_ < rtf_.size() && isLetter(rtf_[at_]))
            ++at_;
        std::string_view word = rtf_.substr(start, at_ - start);
        bool negative =
            at_ < rtf_.size() && rtf_[at_] == '-' && at_ + 1 < rtf_.size() && isDigit(rtf_[at_ + 1]);
        if (negative)
            ++at_;
        bool hasParameter = at_ < rtf_.size() && isDigit(rtf_[at_]);
        long parameter = 0;
        while (at_ < rtf_.size() && isDigit(rtf_[at_])) {
            parameter = std::min(parameter * 10 + (rtf_[at_] - '0'), 100000000L);
            ++at_;
        }
        if (negative)
            parameter = -parameter;
        if (at_ < rtf_.size() && rtf_[at_] == ' ')
            ++at_; // the delimiting blank belongs to the control word

        if (word == "u" && hasParameter) {
            wchar_t unit = static_cast<wchar_t>(parameter < 0 ? parameter + 65536 : parameter);
            if (!group_.skipped) {
                flush();
                out_ += unit;
            }
            fallbackLeft_ = group_.fallbackLength;
        } else if (word == "uc" && hasParameter) {
            group_.fallbackLength = static_cast<int>(std::max(parameter, 0L));
        } else if (word == "bin" && hasParameter) {
            at_ += static_cast<size_t>(std::clamp(parameter, 0L, static_cast<long>(rtf_.size() - at_)));
        } else if (std::find(std::begin(kSkippedDestinations), std::end(kSkippedDestinations), word) !=
                   std::end(kSkippedDestinations)) {
            group_.skipped = true;
        } else {
            for (const NamedCharacter& n : kNamedCharacters)
                if (n.word == word) {
                    text(n.text);
                    return;
                }
            consumedAsFallback();
        }
    }

    std::string_view rtf_;
    size_t at_ = 0;
    Group group_;
    std::vector<Group> groups_;
    int fallbackLeft_ = 0;
    std::string ansi_;
    std::wstring out_;
};

} // namespace

std::wstring richTextToPlain(std::string_view rtf) {
    return PlainTextReader(rtf).read();
}

} // namespace kw
