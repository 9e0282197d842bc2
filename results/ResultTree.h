// The result tree: every topic of the navigation tree with the file it opens and how, in tree order
// (the data file results/ResultTree.tsv, compiled in), and the searches and export that walk it.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kw {

enum class ViewKind { Category, Text, Console, Table };

struct ResultNode {
    int depth;             // 0 for top-level nodes
    std::string_view text; // shown, and the key of the association: every character counts
    ViewKind kind;
    std::string_view file; // relative to the work folder; empty for categories
    int image;             // image index, also the selected image
};

// All nodes in tree order: a node, then its children, then its next sibling. Read once, on first use.
std::span<const ResultNode> resultTree();

// The association of the first node with exactly this text.
const ResultNode* findAssociation(std::string_view text);

// FindTreeNode over the tree order: the index of the node to select, or nothing. `start` is the
// selected node's index, or -1 when none is selected. `contains` decides whether a node text holds
// the search text (without regard to letter case).
std::optional<int> findTreeNode(const std::string& text, int start, bool continueSearch,
                                bool (*contains)(std::string_view haystack, std::string_view needle));

// One line per node: a tab per nesting level, the text, CR LF.
std::string treeExportText();

} // namespace kw
