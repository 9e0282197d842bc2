// The comparison of two whole results, topic by topic over the result tree, on the files as stored:
// which topics are the same, which differ and how much is left of each side.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "results/Comparison.h"
#include "results/ComparisonLeftovers.h"
#include "results/NoiseRules.h"
#include "results/ResultDescription.h"

namespace kw {

// SameWithoutNoise: the sides differ, but no longer once the noise of the run is masked on both.
enum class TopicState { Same, Different, OnlyIn1, OnlyIn2, SameWithoutNoise };

// "совпадают", "различаются", "только в (1)", "только в (2)", "совпадают без учёта шума"
std::string_view stateText(TopicState state);
// Different or present on one side only: what a report lists and the exit code counts.
bool differs(TopicState state);

struct TopicComparison {
    int node;         // index into resultTree()
    std::string path; // the node's texts from the top level down, joined by " > "
    std::string file; // the file name; an unreadable file is named with the side it could not be read in
    TopicState state;
    size_t left1 = 0, left2 = 0; // lines or rows without a partner (all of them for a one-sided topic)
    // Of a differing topic: the leftovers of each side as they stand in the files (noise unmasked).
    bool table = false;
    std::string header; // a table's header row, cells apart by tabs
    LeftoverLines only1, only2;
};

struct FolderComparison {
    std::vector<TopicComparison> rows; // differing topics in tree order, then the same ones in tree order
    bool stopped = false;
    NoiseOptions noise;                 // as the comparison was made
    ResultDescription result1, result2; // the heads of both results
};

// Compares every topic whose file is in either folder (full paths without a trailing separator).
// Where the sides differ, the noise the options name is masked on both and the topic compared again.
// `progress(done, total)` is called between topics, and now and then inside a long one; false stops.
FolderComparison compareFolders(FileSystem& files, const std::string& folder1, const std::string& folder2,
                                const CompareOptions& options,
                                const std::function<bool(int done, int total)>& progress = {},
                                const NoiseOptions& noise = {});

} // namespace kw
