// Both reports are made of the same lines: the header and one line per compared topic.
#include "results/ComparisonReport.h"

#include <vector>

#include "core/RtfWriter.h"
#include "platform/Text.h"

namespace kw {
namespace {

constexpr const char* kHeader = "Раздел\tФайл\tСостояние\tОсталось в (1)\tОсталось в (2)";

std::vector<std::string> reportLines(const FolderComparison& comparison) {
    std::vector<std::string> lines{kHeader};
    for (const TopicComparison& r : comparison.rows)
        lines.push_back(r.path + "\t" + r.file + "\t" + std::string(stateText(r.state)) + "\t" +
                        std::to_string(r.left1) + "\t" + std::to_string(r.left2));
    return lines;
}

} // namespace

std::string comparisonReportTsv(const FolderComparison& comparison) {
    std::string text;
    for (const std::string& line : reportLines(comparison))
        (text += line) += "\r\n";
    return utf8ToAnsi(text);
}

std::string comparisonReportRtf(const FolderComparison& comparison) {
    std::vector<LogLine> lines;
    for (std::string& line : reportLines(comparison))
        lines.push_back({std::move(line)});
    lines.front().bold = true;
    return writeRtf(lines);
}

} // namespace kw
