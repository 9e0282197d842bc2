#include "core/RtfWriter.h"

#include <cstdio>

#include "platform/Text.h"

namespace kw {
namespace {

// The font character set that makes a reader take \'xx bytes in the ANSI code page.
int charsetOf(unsigned codePage) {
    switch (codePage) {
    case 1250:
        return 238;
    case 1251:
        return 204;
    case 1253:
        return 161;
    case 1254:
        return 162;
    case 1255:
        return 177;
    case 1256:
        return 178;
    case 1257:
        return 186;
    default:
        return 0;
    }
}

int colorIndex(LogColor c) {
    switch (c) {
    case LogColor::Blue:
        return 2;
    case LogColor::Green:
        return 3;
    case LogColor::Black:
        break;
    }
    return 1;
}

void appendEscaped(std::string& out, const std::string& utf8) {
    char hex[16];
    for (char32_t ch : decodeUtf8(utf8)) {
        if (ch == '\\' || ch == '{' || ch == '}') {
            out.push_back('\\');
            out.push_back(static_cast<char>(ch));
        } else if (ch == '\t') {
            out += "\\tab ";
        } else if (ch >= 0x20 && ch < 0x80) {
            out.push_back(static_cast<char>(ch));
        } else if (ch < 0x20) {
            // other control characters are not text
        } else if (auto bytes = ansiBytesOf(ch)) {
            for (unsigned char b : *bytes) {
                std::snprintf(hex, sizeof hex, "\\'%02x", b);
                out += hex;
            }
        } else {
            // Outside the code page: a Unicode escape with '?' for readers that lack it.
            auto units = ch >= 0x10000
                             ? std::u16string{static_cast<char16_t>(0xD800 + ((ch - 0x10000) >> 10)),
                                              static_cast<char16_t>(0xDC00 + ((ch - 0x10000) & 0x3FF))}
                             : std::u16string{static_cast<char16_t>(ch)};
            for (char16_t u : units) {
                std::snprintf(hex, sizeof hex, "\\u%d?", static_cast<int>(static_cast<std::int16_t>(u)));
                out += hex;
            }
        }
    }
}

} // namespace

std::string writeRtf(const std::vector<LogLine>& lines) {
    unsigned cp = ansiCodePage();
    std::string out = "{\\rtf1\\ansi\\ansicpg" + std::to_string(cp) + "\\deff0\\deflang1049";
    out += "{\\fonttbl{\\f0\\fnil\\fcharset" + std::to_string(charsetOf(cp)) + " Tahoma;}}\r\n";
    out += "{\\colortbl ;";
    for (LogColor c : {LogColor::Black, LogColor::Blue, LogColor::Green}) {
        Rgb rgb = rgbOf(c);
        out += "\\red" + std::to_string(rgb.red) + "\\green" + std::to_string(rgb.green) + "\\blue" +
               std::to_string(rgb.blue) + ";";
    }
    out += "}\r\n\\viewkind4\\uc1\\pard\\f0\\fs16";
    for (const auto& line : lines) {
        out += "\\cf" + std::to_string(colorIndex(line.color)) + (line.bold ? "\\b " : "\\b0 ");
        appendEscaped(out, line.text);
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

} // namespace kw
