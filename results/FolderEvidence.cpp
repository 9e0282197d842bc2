#include "results/FolderEvidence.h"

#include <algorithm>

#include "platform/Text.h"
#include "results/HeldFiles.h"
#include "results/LocaleText.h"
#include "results/RichTextPlain.h"

namespace kw {
namespace {

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(from, i - from));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        from = i + 1;
    }
    if (from < text.size())
        lines.push_back(text.substr(from));
    return lines;
}

} // namespace

FolderEvidence::FolderEvidence(FileSystem& files, std::string folder, const EditionLookup* editions)
    : files_(files), folder_(std::move(folder)), editions_(editions) {}

const std::vector<std::string>* FolderEvidence::lines(const std::string& name) {
    auto [it, added] = read_.try_emplace(lowerAscii(name));
    if (added) {
        std::string path = folder_ + "\\" + name;
        // The evidence of a file too large to hold is its beginning.
        std::optional<std::string> bytes = files_.plainFileExists(path)
                                               ? readFirstBytes(files_, path, kHeldTextBytes)
                                               : std::optional<std::string>();
        if (bytes) {
            std::wstring text =
                isRichText(*bytes) ? richTextToPlain(*bytes) : decodeText(*bytes, Encoding::Ansi);
            it->second = splitLines(toUtf8(text));
        }
    }
    return it->second ? &*it->second : nullptr;
}

bool FolderEvidence::exists(const std::string& name) {
    return files_.plainFileExists(folder_ + "\\" + name);
}

std::vector<std::string> FolderEvidence::namesLike(const std::string& pattern) {
    if (!names_) {
        names_.emplace();
        files_.listFolder(folder_ + "\\", [this](const FolderEntry& e) {
            if (!e.folder)
                names_->push_back(e.name);
            return true;
        });
        std::sort(names_->begin(), names_->end());
    }
    std::vector<std::string> out;
    for (const std::string& n : *names_)
        if (globMatches(pattern, n))
            out.push_back(n);
    return out;
}

bool globMatches(std::string_view pattern, std::string_view name) {
    size_t star = pattern.find('*');
    if (star == std::string_view::npos)
        return sameTextIgnoringCase(pattern, name);
    // One "*" at most: the file names of a work folder need no more.
    std::string_view head = pattern.substr(0, star), tail = pattern.substr(star + 1);
    return name.size() >= head.size() + tail.size() &&
           sameTextIgnoringCase(name.substr(0, head.size()), head) &&
           sameTextIgnoringCase(name.substr(name.size() - tail.size()), tail);
}

} // namespace kw
