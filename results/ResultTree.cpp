// The node table of the result tree, read from its compiled-in data file, and the walks over it.
#include "results/ResultTree.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

#include "core/DataTable.h"

namespace kw {

// The text of results/ResultTree.tsv, compiled in from a source CMake generates.
std::string_view builtInResultTreeText();

namespace {

std::optional<ViewKind> viewKindOf(std::string_view name) {
    constexpr std::pair<std::string_view, ViewKind> kKinds[] = {{"Category", ViewKind::Category},
                                                                {"Text", ViewKind::Text},
                                                                {"Console", ViewKind::Console},
                                                                {"Table", ViewKind::Table}};
    for (auto [text, kind] : kKinds)
        if (text == name)
            return kind;
    return std::nullopt;
}

// One line of the table; nothing for a line that breaks its form (the tree's test counts the nodes).
std::optional<ResultNode> parseNode(std::string_view line) {
    size_t depth = line.find_first_not_of('\t');
    if (depth == std::string_view::npos)
        return std::nullopt;
    std::vector<std::string_view> columns = tabColumns(line.substr(depth));
    if (columns.size() < 3 || columns.size() > 4 || columns[0].empty())
        return std::nullopt;
    std::optional<ViewKind> kind = viewKindOf(columns[1]);
    int image = -1;
    auto [end, error] = std::from_chars(columns[2].data(), columns[2].data() + columns[2].size(), image);
    bool hasFile = columns.size() == 4 && !columns[3].empty();
    if (!kind || error != std::errc() || end != columns[2].data() + columns[2].size() || image < 0 ||
        hasFile == (*kind == ViewKind::Category))
        return std::nullopt;
    return ResultNode{.depth = static_cast<int>(depth),
                      .text = columns[0],
                      .kind = *kind,
                      .file = hasFile ? columns[3] : std::string_view(),
                      .image = image};
}

std::vector<ResultNode> parseTree(std::string_view text) {
    std::vector<ResultNode> nodes;
    for (const DataLine& line : dataLines(text)) {
        std::optional<ResultNode> node = parseNode(line.text);
        // A node deeper than one below the one before it has no parent: it is left out.
        if (node && node->depth <= (nodes.empty() ? 0 : nodes.back().depth + 1))
            nodes.push_back(*node);
    }
    return nodes;
}

const std::vector<ResultNode>& nodes() {
    static const std::vector<ResultNode> tree = parseTree(builtInResultTreeText());
    return tree;
}

bool blank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

} // namespace

std::span<const ResultNode> resultTree() {
    return nodes();
}

const ResultNode* findAssociation(std::string_view text) {
    for (const ResultNode& n : nodes())
        if (n.text == text)
            return &n;
    return nullptr;
}

std::optional<int> findTreeNode(const std::string& text, int start, bool continueSearch,
                                bool (*contains)(std::string_view, std::string_view)) {
    if (blank(text))
        return std::nullopt;
    const std::vector<ResultNode>& tree = nodes();
    const int count = static_cast<int>(tree.size());
    int from = start < 0 || start >= count ? 0 : start;
    if (continueSearch && contains(tree[from].text, text))
        ++from;
    // No wrap-around: the walk ends at the last node.
    for (int i = from; i < count; ++i)
        if (contains(tree[i].text, text))
            return i;
    return std::nullopt;
}

std::string treeExportText() {
    std::string out;
    for (const ResultNode& n : nodes()) {
        out.append(static_cast<size_t>(n.depth), '\t');
        out.append(n.text);
        out += "\r\n";
    }
    return out;
}

} // namespace kw
