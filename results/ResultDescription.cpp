// The head of a result read from the system section, the console capture of "set" and both logs.
#include "results/ResultDescription.h"

#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "results/Comparison.h"
#include "results/HeldFiles.h"
#include "results/LocaleText.h"
#include "results/RichTextPlain.h"

namespace kw {
namespace {

std::vector<std::string> linesOf(FileSystem& files, const std::string& path, Encoding encoding) {
    // The head of a result is in its first lines: a huge file is read from its beginning only.
    std::optional<std::string> bytes = readFirstBytes(files, path, kHeldTextBytes);
    if (!bytes)
        return {};
    std::wstring text = isRichText(*bytes) ? richTextToPlain(*bytes) : decodeText(*bytes, encoding);
    std::vector<std::string> lines;
    for (std::wstring_view line : splitLines(text))
        lines.push_back(toUtf8(line));
    return lines;
}

// The rest of the first line that starts with `label`, blanks trimmed.
std::string afterLabel(const std::vector<std::string>& lines, std::string_view label) {
    for (const std::string& line : lines) {
        if (!line.starts_with(label))
            continue;
        std::string value = line.substr(label.size());
        size_t first = value.find_first_not_of(' '), last = value.find_last_not_of(" \t");
        return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    }
    return {};
}

} // namespace

ResultDescription describeResult(FileSystem& files, const std::string& folder) {
    ResultDescription d;
    const std::vector<std::string> software = linesOf(files, folder + "\\software.txt", Encoding::Ansi);
    std::vector<std::string> set;
    auto fromSet = [&](std::string_view label) {
        if (set.empty())
            set = linesOf(files, folder + "\\(cmd)set.txt", Encoding::Oem);
        return afterLabel(set, label);
    };
    d.computer = afterLabel(software, "Имя компьютера:");
    if (d.computer.empty())
        d.computer = fromSet("COMPUTERNAME=");
    d.user = afterLabel(software, "Имя пользователя:");
    if (d.user.empty())
        d.user = fromSet("USERNAME=");
    for (size_t i = 0; i + 1 < software.size() && d.windows.empty(); ++i)
        if (software[i] == "Windows:")
            d.windows = afterLabel({software[i + 1]}, "");

    // "********************* Начало сбора информации DATE - TIME | Тип: ..."
    std::string opening = afterLabel(linesOf(files, folder + "\\KW_Scan!.txt", Encoding::Ansi),
                                     "********************* Начало сбора информации ");
    if (size_t bar = opening.find(" | "); bar != std::string::npos)
        opening.resize(bar);
    if (size_t dash = opening.find(" - "); dash != std::string::npos)
        opening = opening.substr(0, dash) + " " + opening.substr(dash + 3);
    while (opening.ends_with('*') || opening.ends_with(' '))
        opening.pop_back();
    d.collected = opening;

    // "KW_Scan! V19.11.01k (01.11.2019) [C:\...\KW_Scan.exe]"
    std::string version = afterLabel(linesOf(files, folder + "\\KW_Scan!.rtf", Encoding::Ansi), "KW_Scan! V");
    if (size_t path = version.find(" ["); path != std::string::npos)
        version.resize(path);
    d.version = version;
    return d;
}

} // namespace kw
