// A small reader of the HTML the program writes: it checks that every tag is closed in order, that
// attributes are quoted, that text holds no raw markup characters and only known entities, and gives
// the page's text (entities decoded) with a line break after every cell, row, heading and paragraph.
#pragma once
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace kw::test {

struct HtmlCheck {
    bool wellFormed = false;
    std::string error;
    std::string text;
};

inline HtmlCheck checkHtml(std::string_view page) {
    HtmlCheck result;
    std::vector<std::string> open;
    auto fail = [&](const std::string& why, size_t at) {
        result.error = why + " at " + std::to_string(at);
        return result;
    };
    constexpr std::string_view kVoid[] = {"meta", "br", "hr", "img", "link", "input"};
    constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    size_t i = 0;
    if (!page.starts_with("<!DOCTYPE html>"))
        return fail("no doctype", 0);
    i = page.find('>') + 1;
    while (i < page.size()) {
        char c = page[i];
        if (c == '<') {
            size_t end = page.find('>', i);
            if (end == std::string_view::npos)
                return fail("unclosed tag", i);
            std::string_view tag = page.substr(i + 1, end - i - 1);
            bool closing = tag.starts_with('/');
            if (closing)
                tag.remove_prefix(1);
            size_t nameEnd = 0;
            while (nameEnd < tag.size() && std::isalnum(static_cast<unsigned char>(tag[nameEnd])))
                ++nameEnd;
            std::string name(tag.substr(0, nameEnd));
            if (name.empty())
                return fail("tag without a name", i);
            // Attributes: name="value" pairs, the value without quotes or markup.
            for (size_t a = nameEnd; a < tag.size();) {
                if (tag[a] == ' ') {
                    ++a;
                    continue;
                }
                size_t eq = tag.find("=\"", a);
                size_t close = eq == std::string_view::npos ? eq : tag.find('"', eq + 2);
                if (closing || close == std::string_view::npos)
                    return fail("bad attribute in <" + name + ">", i);
                if (tag.substr(eq + 2, close - eq - 2).find_first_of("<>") != std::string_view::npos)
                    return fail("markup in an attribute", i);
                a = close + 1;
            }
            if (closing) {
                if (open.empty() || open.back() != name)
                    return fail(
                        "</" + name + "> closes " + (open.empty() ? "nothing" : "<" + open.back() + ">"), i);
                open.pop_back();
                if (name == "td" || name == "th" || name == "tr" || name == "p" || name[0] == 'h')
                    result.text += '\n';
            } else if (std::find(std::begin(kVoid), std::end(kVoid), name) == std::end(kVoid)) {
                open.push_back(name);
            }
            i = end + 1;
            if (!closing && (name == "style" || name == "script")) {
                // Raw text up to its end tag.
                size_t stop = page.find("</" + name + ">", i);
                if (stop == std::string_view::npos)
                    return fail("unclosed <" + name + ">", i);
                i = stop;
            }
        } else if (c == '&') {
            bool known = false;
            for (auto [entity, ch] : kEntities) {
                if (page.substr(i).starts_with(entity)) {
                    result.text += ch;
                    i += entity.size();
                    known = true;
                    break;
                }
            }
            if (!known)
                return fail("unknown entity", i);
        } else if (c == '>' || (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t')) {
            return fail("raw markup or control character in text", i);
        } else {
            result.text += c;
            ++i;
        }
    }
    if (!open.empty())
        return fail("<" + open.back() + "> never closed", page.size());
    result.wellFormed = true;
    return result;
}

} // namespace kw::test
