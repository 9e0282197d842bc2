// Both result folders walked over the result tree: each topic's two files read the way its view shows
// them and compared with the line or table comparison.
#include "results/FolderComparison.h"

#include <algorithm>
#include <optional>

#include "results/HeldFiles.h"
#include "results/LocaleText.h"
#include "results/ResultTree.h"
#include "results/RichTextPlain.h"

namespace kw {
namespace {

// One side of a topic: its lines or its table rows, and the same with the noise masked where a mask
// changed any. They point into what the object holds, so it is built in place and never moved.
class TopicSide {
  public:
    TopicSide(FileSystem& files, const std::string& path, ViewKind kind, std::string_view file = {},
              const NoiseMask* mask = nullptr)
        : table_(kind == ViewKind::Table) {
        present_ = files.plainFileExists(path);
        if (!present_)
            return;
        size_ = files.fileSize(path);
        if (size_ > (table_ ? kHeldTableBytes : kHeldTextBytes)) {
            readable_ = tooLarge_ = true; // compared piece by piece, not line by line
            return;
        }
        std::optional<std::string> bytes = files.readFile(path);
        if (!bytes)
            return;
        readable_ = true;
        // Console output is compared as shown, after its conversion from the OEM code page.
        std::wstring text = table_                      ? decodeText(*bytes, Encoding::Ansi)
                            : kind == ViewKind::Console ? decodeText(*bytes, Encoding::Oem)
                            : isRichText(*bytes)        ? richTextToPlain(*bytes)
                                                        : decodeText(*bytes, Encoding::Ansi);
        if (mask && mask->appliesTo(file))
            maskNoise(text, file, *mask);
        if (table_) {
            tableModel_.LoadTableFile(std::move(text));
        } else {
            text_ = std::move(text);
            lines_ = splitLines(text_);
        }
    }
    TopicSide(const TopicSide&) = delete;
    TopicSide& operator=(const TopicSide&) = delete;

    bool present() const { return present_; }
    bool readable() const { return readable_; }
    bool tooLarge() const { return tooLarge_; }
    std::int64_t size() const { return size_; }
    bool table() const { return table_; }
    size_t count() const { return table_ ? rows().size() : lines_.size(); }
    std::span<const std::wstring_view> lines() const { return lines_; }
    std::span<const TableRow> rows() const { return tableModel_.dataRows(); }
    std::string header() const { return table_ ? rowText(tableModel_.row(0)) : std::string(); }

    // The sides as the noise rules leave them; the same lines (rows) in the same places.
    bool masked() const { return masked_; }
    std::span<const std::wstring_view> maskedLines() const { return masked_ ? maskedLines_ : lines(); }
    std::span<const TableRow> maskedRows() const { return masked_ ? maskedModel_.dataRows() : rows(); }

  private:
    void maskNoise(const std::wstring& text, std::string_view file, const NoiseMask& mask) {
        std::optional<std::vector<std::wstring>> lines = mask.masked(file, splitLines(text));
        if (!lines)
            return;
        masked_ = true;
        // Joined without a final break, the text has exactly the lines (rows) of the file.
        for (size_t i = 0; i < lines->size(); ++i) {
            if (i > 0)
                maskedText_ += L"\r\n";
            maskedText_ += (*lines)[i];
        }
        if (table_)
            maskedModel_.LoadTableFile(std::move(maskedText_));
        else
            maskedLines_ = splitLines(maskedText_);
    }

    bool table_;
    bool present_ = false, readable_ = false, masked_ = false, tooLarge_ = false;
    std::int64_t size_ = 0;
    std::wstring text_, maskedText_;
    std::vector<std::wstring_view> lines_, maskedLines_;
    TableModel tableModel_, maskedModel_;
};

// The names each result gives its computer and user, from the topics the name rules point to.
ResultNames namesIn(FileSystem& files, const std::string& folder) {
    ResultNames names;
    for (const ResultNode& node : resultTree()) {
        if (node.kind != ViewKind::Text && node.kind != ViewKind::Console)
            continue;
        bool named = std::any_of(noiseRules().begin(), noiseRules().end(), [&](const NoiseRule& r) {
            return (r.kind == NoiseKind::ComputerName || r.kind == NoiseKind::UserName ||
                    r.kind == NoiseKind::TemporaryFolder) &&
                   fileNameMatches(r.files, node.file);
        });
        if (!named)
            continue;
        TopicSide side(files, folder + "\\" + std::string(node.file), node.kind);
        collectNames(node.file, side.lines(), names);
    }
    return names;
}

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

// The file's name, and in which folder it could not be read or was too large to compare line by line.
std::string fileText(std::string_view file, const TopicSide& a, const TopicSide& b) {
    bool lost1 = a.present() && !a.readable(), lost2 = b.present() && !b.readable();
    std::string text(file);
    if (lost1 || lost2)
        text += lost1 && lost2 ? " (не удалось прочитать в (1) и (2))"
                : lost1        ? " (не удалось прочитать в (1))"
                               : " (не удалось прочитать в (2))";
    if (a.tooLarge() || b.tooLarge()) {
        auto mb = [](std::int64_t n) { return std::to_string((n + (1 << 20) - 1) >> 20) + " МБ"; };
        text += " (слишком велик для построчного сравнения: " +
                (a.tooLarge() && b.tooLarge() ? mb(a.size()) + " в (1), " + mb(b.size()) + " в (2)"
                 : a.tooLarge()               ? mb(a.size()) + " в (1)"
                                              : mb(b.size()) + " в (2)") +
                "; сравнён побайтно)";
    }
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
    case TopicState::SameWithoutNoise:
        return "совпадают без учёта шума";
    }
    return {};
}

bool differs(TopicState state) {
    return state != TopicState::Same && state != TopicState::SameWithoutNoise;
}

FolderComparison compareFolders(FileSystem& files, const std::string& folder1, const std::string& folder2,
                                const CompareOptions& options,
                                const std::function<bool(int done, int total)>& progress,
                                const NoiseOptions& noise) {
    std::span<const ResultNode> tree = resultTree();
    std::vector<std::string> paths = nodePaths(tree);
    const int total = static_cast<int>(std::count_if(
        tree.begin(), tree.end(), [](const ResultNode& n) { return n.kind != ViewKind::Category; }));
    int done = 0;
    auto goOn = [&] { return !progress || progress(done, total); };

    FolderComparison result;
    result.noise = noise;
    result.result1 = describeResult(files, folder1);
    result.result2 = describeResult(files, folder2);
    // Each result's noise is masked with its own names.
    const bool masking = noise.any();
    const NoiseMask mask1(noise, noise.any() ? namesIn(files, folder1) : ResultNames{}),
        mask2(noise, noise.any() ? namesIn(files, folder2) : ResultNames{});
    for (size_t n = 0; n < tree.size(); ++n) {
        const ResultNode& node = tree[n];
        if (node.kind == ViewKind::Category)
            continue;
        if (!goOn()) {
            result.stopped = true;
            break;
        }
        const std::string file(node.file);
        TopicSide side1(files, folder1 + "\\" + file, node.kind, file, masking ? &mask1 : nullptr),
            side2(files, folder2 + "\\" + file, node.kind, file, masking ? &mask2 : nullptr);
        TopicComparison row{static_cast<int>(n), paths[n], fileText(file, side1, side2),
                            TopicState::Different};
        row.table = node.kind == ViewKind::Table;
        row.header = side1.present() ? side1.header() : side2.header();
        if (!side1.present() && !side2.present()) {
            ++done;
            continue;
        }
        if (!side2.present()) {
            row.state = TopicState::OnlyIn1;
            row.left1 = side1.count();
            row.only1 = row.table ? allRows(side1.rows()) : allLines(side1.lines());
        } else if (!side1.present()) {
            row.state = TopicState::OnlyIn2;
            row.left2 = side2.count();
            row.only2 = row.table ? allRows(side2.rows()) : allLines(side2.lines());
        } else if (!side1.readable() || !side2.readable()) {
            // What cannot be read cannot be shown to be the same.
            row.left1 = side1.count();
            row.left2 = side2.count();
        } else if (side1.tooLarge() || side2.tooLarge()) {
            // Too large to hold: the same bytes or not, without lines to show.
            if (sameBytes(files, folder1 + "\\" + file, folder2 + "\\" + file).value_or(false))
                row.state = TopicState::Same;
        } else {
            // A big table is stopped inside too; the topic it was in is then left out.
            const StopPoll stop = [&] { return !goOn(); };
            auto compare = [&](bool masked) {
                return row.table ? CompareTables(masked ? side1.maskedRows() : side1.rows(),
                                                 masked ? side2.maskedRows() : side2.rows(), options, stop)
                                 : CompareLines(masked ? side1.maskedLines() : side1.lines(),
                                                masked ? side2.maskedLines() : side2.lines(), stop);
            };
            Leftovers left = compare(false);
            bool agree = left.side1.empty() && left.side2.empty();
            // Only where the files differ and the noise rules changed something is the topic compared
            // again: the noise then decides between "различаются" and "совпадают без учёта шума".
            if (!left.stopped && !agree && (side1.masked() || side2.masked())) {
                left = compare(true);
                if (left.side1.empty() && left.side2.empty())
                    row.state = TopicState::SameWithoutNoise;
            } else if (agree) {
                row.state = TopicState::Same;
            }
            if (left.stopped) {
                result.stopped = true;
                break;
            }
            row.left1 = left.side1.size();
            row.left2 = left.side2.size();
            if (row.state == TopicState::Different) {
                // The lines as the files hold them: masking keeps every line in its place.
                row.only1 = row.table ? leftoverRows(left.side1, side1.rows())
                                      : leftoverLines(left.side1, side1.lines());
                row.only2 = row.table ? leftoverRows(left.side2, side2.rows())
                                      : leftoverLines(left.side2, side2.lines());
            }
        }
        result.rows.push_back(std::move(row));
        ++done;
    }
    if (!result.stopped && progress)
        progress(total, total);
    std::stable_partition(result.rows.begin(), result.rows.end(),
                          [](const TopicComparison& r) { return differs(r.state); });
    return result;
}

} // namespace kw
