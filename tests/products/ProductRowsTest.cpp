// The declared rows of the product families against each other and against the result tree: no two
// rows write one file unless meant to, every topic of a family's part of the tree has a row that writes
// its file, and every file a row writes is either shown by the tree or known not to be.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Text.h"
#include "products/CadFamily.h"
#include "products/PlmFamily.h"
#include "viewer/ResultTree.h"

namespace kw {
namespace {

struct Output {
    std::string name;
    std::string table;
};

std::vector<Output> declaredOutputs() {
    std::vector<Output> out;
    for (auto tables : {cadRowTables(), plmRowTables()}) {
        for (const RowTable& t : tables) {
            for (const CaptureRow& row : t.captures)
                for (std::string& name : outputsOf(row)) out.push_back({name, std::string(t.name)});
            for (const BranchRow& row : t.branches) out.push_back({std::string(row.target), std::string(t.name)});
        }
    }
    return out;
}

bool produced(const std::vector<Output>& outputs, std::string_view file) {
    return std::any_of(outputs.begin(), outputs.end(),
                       [&](const Output& o) { return sameTextIgnoringCase(o.name, file); });
}

// The subtrees of the tree that show what these families write.
std::vector<const ResultNode*> familyNodes() {
    const std::string_view roots[] = {"МИРТАЛ-3D", "ПЕЛТРАН:PLM", "ПЕЛТРАН:КБ", "TAVIR Shared",
                                      "Каталог общего доступа - COD"};
    std::vector<const ResultNode*> out;
    auto tree = resultTree();
    for (size_t i = 0; i < tree.size(); ++i) {
        if (std::find(std::begin(roots), std::end(roots), tree[i].text) == std::end(roots)) continue;
        out.push_back(&tree[i]);
        for (size_t j = i + 1; j < tree.size() && tree[j].depth > tree[i].depth; ++j) out.push_back(&tree[j]);
    }
    return out;
}

// Files the sections write that no topic opens: permission dumps of sub-folders, and settings the
// support engineer finds in the package but that have no topic of their own.
const std::string_view kNotInTree[] = {
    "(cmd)(MIRTAL_Bin)cacls.txt",        "(cmd)(MIRTAL_sys)cacls.txt",         "(cmd)(MIRTAL_Libs)cacls.txt",
    "(cmd)(MIRTAL_Home_Bin)cacls.txt",   "(cmd)(MIRTAL_Home_sys)cacls.txt",    "(cmd)(MIRTAL_Home_Libs)cacls.txt",
    "(cmd)(MIRTAL_Viewer_Bin)cacls.txt", "(cmd)(MIRTAL_Viewer_sys)cacls.txt",  "(cmd)(MIRTAL_Viewer_Libs)cacls.txt",
    "(cmd)(Peltrand_PT_Settings)cacls.txt", "(Peltrand)M3DSPDS_proxy.ini",     "(Peltrand)Peltrand.ini",
    "(cmd)(PeltrandKB)cacls.txt",        "(cmd)(DeploymentService)cacls.txt",  "(cmd)(BPMAppServer)cacls.txt",
    "(cmd)(BridgeClient)cacls.txt",      "(cmd)(BridgeService)cacls.txt",      "PT.mdb",
};

TEST(ProductRowsTest, NoTwoRowsWriteOneFileExceptTheSharedChangeNotices) {
    auto outputs = declaredOutputs();
    ASSERT_GT(outputs.size(), 100u);
    for (size_t i = 0; i < outputs.size(); ++i) {
        for (size_t j = i + 1; j < outputs.size(); ++j) {
            const Output &a = outputs[i], &b = outputs[j];
            if (!sameTextIgnoringCase(a.name, b.name)) continue;
            // The shared folder's change notices replace those of the common folder by name.
            bool notices = a.name == "(Peltrand)changes.ini" && b.name == "(Peltrand)changes.Ini";
            EXPECT_TRUE(notices) << a.name << " [" << a.table << "] and " << b.name << " [" << b.table << "]";
        }
    }
}

TEST(ProductRowsTest, EveryTopicOfTheFamiliesHasARowThatWritesItsFile) {
    auto outputs = declaredOutputs();
    auto nodes = familyNodes();
    ASSERT_GT(nodes.size(), 100u);
    for (const ResultNode* n : nodes) {
        if (n->kind == ViewKind::Category) continue;
        EXPECT_TRUE(produced(outputs, n->file)) << n->text << " -> " << n->file;
    }
}

TEST(ProductRowsTest, EveryFileARowWritesIsATopicOrKnownNotToBe) {
    auto tree = resultTree();
    for (const Output& o : declaredOutputs()) {
        bool shown = std::any_of(tree.begin(), tree.end(),
                                 [&](const ResultNode& n) { return sameTextIgnoringCase(n.file, o.name); });
        bool known = std::find(std::begin(kNotInTree), std::end(kNotInTree), o.name) != std::end(kNotInTree);
        EXPECT_TRUE(shown || known) << o.name << " [" << o.table << "]";
        EXPECT_FALSE(shown && known) << o.name << " is in the tree after all";
    }
}

} // namespace
} // namespace kw
