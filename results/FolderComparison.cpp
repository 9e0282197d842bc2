// Both result folders walked over the result tree: each topic's two files read the way its view shows
// them and compared with the line or table comparison.
#include "results/FolderComparison.h"

#include <algorithm>
#include <optional>

#include "results/LocaleText.h"
#include "results/ResultTree.h"
#include "results/RichTextPlain.h"

namespace kw {
namespace {

// One side of a topic: its lines or its table rows. They point into what the object holds, so it is
// built in place and never moved.
class TopicSide {
  public:
    TopicSide(FileSystem& files, const std::string& path, ViewKind kind) : table_(kind == ViewKind::Table) {
        present_ = files.plainFileExists(path);
        if (!present_)
            return;
        std::optional<std::string> bytes = files.readFile(path);
        if (!bytes)
            return;
        readable_ = true;
        if (table_) {
            tableModel_.LoadTableFile(decodeText(*bytes, Encoding::Ansi));
        } else {
            // Console output is compared as shown, after its conversion from the OEM code page.
            text_ = kind == ViewKind::Console ? decodeText(*bytes, Encoding::Oem)
                    : isRichText(*bytes)      ? richTextToPlain(*bytes)
                                              : decodeText(*bytes, Encoding::Ansi);
            lines_ = splitLines(text_);
        }
    }
    TopicSide(const TopicSide&) = delete;
    TopicSide& operator=(const TopicSide&) = delete;

    bool present() const { return present_; }
    bool readable() const { return readable_; }
    size_t count() const { return table_ ? rows().size() : lines_.size(); }
    std::span<const std::wstring_view> lines() const { return lines_; }
    std::span<const TableRow> rows() const { return tableModel_.dataRows(); }

  private:
    bool table_;
    bool present_ = false, readable_ = false;
    std::wstring text_;
    std::vector<std::wstring_view> lines_;
    TableModel tableModel_;
};

// Every node's texts from the top level down, joined by " > ".
std::vector<std::string> nodePaths(std::span<const ResultNode> tree) {
    std::vector<std::string> paths;
    std::vector<std::string_view> parents;
    for (const ResultNode& node : tree) {
        parents.resize(static_cast<size_t>(node.depth));
        std::string path;
        for (std::string_view p : parents)
            (path += p) += " > ";
        paths.push_back(path += node.text);
        parents.push_back(node.text);
    }
    return paths;
}

// The file's name, and in which folder it could not be read, if it could not.
std::string fileText(std::string_view file, const TopicSide& a, const TopicSide& b) {
    bool lost1 = a.present() && !a.readable(), lost2 = b.present() && !b.readable();
    std::string text(file);
    if (lost1 || lost2)
        text += lost1 && lost2 ? " (не удалось прочитать в (1) и (2))"
                : lost1        ? " (не удалось прочитать в (1))"
                               : " (не удалось прочитать в (2))";
    return text;
}

} // namespace

std::string_view stateText(TopicState state) {
    switch (state) {
    case TopicState::Same:
        return "совпадают";
    case TopicState::Different:
        return "различаются";
    case TopicState::OnlyIn1:
        return "только в (1)";
    case TopicState::OnlyIn2:
        return "только в (2)";
    }
    return {};
}

FolderComparison compareFolders(FileSystem& files, const std::string& folder1, const std::string& folder2,
                                const CompareOptions& options,
                                const std::function<bool(int done, int total)>& progress) {
    std::span<const ResultNode> tree = resultTree();
    std::vector<std::string> paths = nodePaths(tree);
    const int total = static_cast<int>(std::count_if(
        tree.begin(), tree.end(), [](const ResultNode& n) { return n.kind != ViewKind::Category; }));
    int done = 0;
    auto goOn = [&] { return !progress || progress(done, total); };

    FolderComparison result;
    for (size_t n = 0; n < tree.size(); ++n) {
        const ResultNode& node = tree[n];
        if (node.kind == ViewKind::Category)
            continue;
        if (!goOn()) {
            result.stopped = true;
            break;
        }
        const std::string file(node.file);
        TopicSide side1(files, folder1 + "\\" + file, node.kind),
            side2(files, folder2 + "\\" + file, node.kind);
        TopicComparison row{static_cast<int>(n), paths[n], fileText(file, side1, side2),
                            TopicState::Different};
        if (!side1.present() && !side2.present()) {
            ++done;
            continue;
        }
        if (!side2.present()) {
            row.state = TopicState::OnlyIn1;
            row.left1 = side1.count();
        } else if (!side1.present()) {
            row.state = TopicState::OnlyIn2;
            row.left2 = side2.count();
        } else if (!side1.readable() || !side2.readable()) {
            // What cannot be read cannot be shown to be the same.
            row.left1 = side1.count();
            row.left2 = side2.count();
        } else {
            // A big table is stopped inside too; the topic it was in is then left out.
            const StopPoll stop = [&] { return !goOn(); };
            Leftovers left = node.kind == ViewKind::Table
                                 ? CompareTables(side1.rows(), side2.rows(), options, stop)
                                 : CompareLines(side1.lines(), side2.lines(), stop);
            if (left.stopped) {
                result.stopped = true;
                break;
            }
            row.left1 = left.side1.size();
            row.left2 = left.side2.size();
            if (row.left1 == 0 && row.left2 == 0)
                row.state = TopicState::Same;
        }
        result.rows.push_back(std::move(row));
        ++done;
    }
    if (!result.stopped && progress)
        progress(total, total);
    std::stable_partition(result.rows.begin(), result.rows.end(),
                          [](const TopicComparison& r) { return r.state != TopicState::Same; });
    return result;
}

} // namespace kw
