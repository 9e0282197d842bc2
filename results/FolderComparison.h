// The comparison of two whole results, topic by topic over the result tree, on the files as stored:
// which topics are the same, which differ and how much is left of each side.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "results/Comparison.h"

namespace kw {

enum class TopicState { Same, Different, OnlyIn1, OnlyIn2 };

// "совпадают", "различаются", "только в (1)", "только в (2)"
std::string_view stateText(TopicState state);

struct TopicComparison {
    int node;         // index into resultTree()
    std::string path; // the node's texts from the top level down, joined by " > "
    std::string file; // the file name; an unreadable file is named with the side it could not be read in
    TopicState state;
    size_t left1 = 0, left2 = 0; // lines or rows without a partner (all of them for a one-sided topic)
};

struct FolderComparison {
    std::vector<TopicComparison> rows; // differing topics in tree order, then the same ones in tree order
    bool stopped = false;
};

// Compares every topic whose file is in either folder (full paths without a trailing separator).
// `progress(done, total)` is called between topics, and now and then inside a long one; false stops.
FolderComparison compareFolders(FileSystem& files, const std::string& folder1, const std::string& folder2,
                                const CompareOptions& options,
                                const std::function<bool(int done, int total)>& progress = {});

} // namespace kw
