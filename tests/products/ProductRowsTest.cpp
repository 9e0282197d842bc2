// The declared sections of the product families against each other and against the result tree: each
// declared whole, no two rows write one file unless meant to, every topic of a family's part of the tree has
// a row that writes its file, and every file a row writes is either shown by the tree or known not to be.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Text.h"
#include "products/ProductSections.h"
#include "results/ResultTree.h"
#include "tests/products/ProductTest.h"

namespace kw {
namespace {

struct Output {
    std::string name;
    std::string table;
    bool appends = false; // the row adds to a table that other rows add to as well
};

std::vector<Output> declaredOutputs() {
    std::vector<Output> out;
    for (const SectionDeclaration* section : productSections()) {
        for (const RowTable& t : section->tables) {
            for (const CaptureRow& row : t.captures)
                for (std::string& name : outputsOf(row))
                    out.push_back({name, std::string(t.name), row.kind == Capture::Logs});
            for (const BranchRow& row : t.branches)
                out.push_back({std::string(row.target), std::string(t.name)});
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
    const std::string_view roots[] = {"МИРТАЛ-3D",
                                      "ПЕЛТРАН:PLM",
                                      "ПЕЛТРАН:КБ",
                                      "TAVIR Shared",
                                      "Каталог общего доступа - COD",
                                      "ТЕССАРИН / Справочник технолога",
                                      "МОРВАНТАЙД",
                                      "Единицы измерения",
                                      "Rudazizod o Ridaduvodu",
                                      "Нормирование материалов",
                                      "КВАДРИКС:MDM",
                                      "Стандартные изделия",
                                      "Ferry-OAK",
                                      "Журналы установки КОМПЛЕКСа"};
    std::vector<const ResultNode*> out;
    auto tree = resultTree();
    for (size_t i = 0; i < tree.size(); ++i) {
        if (std::find(std::begin(roots), std::end(roots), tree[i].text) == std::end(roots))
            continue;
        out.push_back(&tree[i]);
        for (size_t j = i + 1; j < tree.size() && tree[j].depth > tree[i].depth; ++j)
            out.push_back(&tree[j]);
    }
    return out;
}

// Files the sections write that no topic opens: permission dumps of sub-folders, and settings the
// support engineer finds in the package but that have no topic of their own.
const std::string_view kNotInTree[] = {
    "(cmd)(MIRTAL_Bin)cacls.txt",
    "(cmd)(MIRTAL_sys)cacls.txt",
    "(cmd)(MIRTAL_Libs)cacls.txt",
    "(cmd)(MIRTAL_Home_Bin)cacls.txt",
    "(cmd)(MIRTAL_Home_sys)cacls.txt",
    "(cmd)(MIRTAL_Home_Libs)cacls.txt",
    "(cmd)(MIRTAL_Viewer_Bin)cacls.txt",
    "(cmd)(MIRTAL_Viewer_sys)cacls.txt",
    "(cmd)(MIRTAL_Viewer_Libs)cacls.txt",
    "(cmd)(Peltrand_PT_Settings)cacls.txt",
    "(Peltrand)M3DSPDS_proxy.ini",
    "(Peltrand)Peltrand.ini",
    "(cmd)(PeltrandKB)cacls.txt",
    "(cmd)(DeploymentService)cacls.txt",
    "(cmd)(BPMAppServer)cacls.txt",
    "(cmd)(BridgeClient)cacls.txt",
    "(cmd)(BridgeService)cacls.txt",
    "PT.mdb",
    "(cmd)(ELEMLib_Clients)cacls.txt",
    "(cmd)(ELEMLib_Server)cacls.txt",
    "ElemlibCMC.ini",
    "Complex2013Install.log",
    "Complex2011Install.log",
};

// Every declared section is whole: a procedure and a caption of its own, its rows, a skip line wherever an
// option can leave it out, and a banner exactly where a place for one is given.
TEST(ProductRowsTest, EverySectionIsDeclaredWhole) {
    auto sections = productSections();
    ASSERT_EQ(sections.size(), 19u);
    for (size_t i = 0; i < sections.size(); ++i) {
        const SectionDeclaration& s = *sections[i];
        SCOPED_TRACE(std::string(s.topic.caption));
        EXPECT_FALSE(s.topic.caption.empty());
        EXPECT_NE(s.collect, nullptr);
        EXPECT_FALSE(s.tables.empty());
        EXPECT_EQ(s.topic.gate.has_value(), !s.topic.skipLine.empty());
        EXPECT_EQ(s.topic.banner.empty(), s.topic.place == BannerPlace::None);
        for (size_t j = i + 1; j < sections.size(); ++j) {
            EXPECT_NE(s.collect, sections[j]->collect);
            EXPECT_NE(s.topic.caption, sections[j]->topic.caption);
        }
    }
}

TEST(ProductRowsTest, NoTwoRowsWriteOneFileExceptTheSharedChangeNotices) {
    auto outputs = declaredOutputs();
    ASSERT_GT(outputs.size(), 100u);
    for (size_t i = 0; i < outputs.size(); ++i) {
        for (size_t j = i + 1; j < outputs.size(); ++j) {
            const Output &a = outputs[i], &b = outputs[j];
            if (!sameTextIgnoringCase(a.name, b.name) || (a.appends && b.appends))
                continue;
            // The shared folder's change notices replace those of the common folder by name.
            bool notices = a.name == "(Peltrand)changes.ini" && b.name == "(Peltrand)changes.Ini";
            EXPECT_TRUE(notices) << a.name << " [" << a.table << "] and " << b.name << " [" << b.table << "]";
        }
    }
}

// Topics whose file no section writes: the storage listing belongs to a switch the dialog never offers,
// and the MDM product's temporary logs are not collected.
const std::string_view kNoWriter[] = {"(ELEMLib)Vault_Files.csv", "(Quadrix)_Log.csv"};

TEST(ProductRowsTest, EveryTopicOfTheFamiliesHasARowThatWritesItsFile) {
    auto outputs = declaredOutputs();
    auto nodes = familyNodes();
    ASSERT_GT(nodes.size(), 200u);
    for (const ResultNode* n : nodes) {
        if (n->kind == ViewKind::Category)
            continue;
        bool external = std::find(std::begin(kNoWriter), std::end(kNoWriter), n->file) != std::end(kNoWriter);
        EXPECT_NE(produced(outputs, n->file), external) << n->text << " -> " << n->file;
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

// On a computer without any TAVIR product every section finds what it looks for missing, and none of
// them calls that an error: a default run there must not report "При сборе информации встретились
// ошибки" (finding S05).
class CleanMachineTest : public test::ProductTest {};

TEST_F(CleanMachineTest, NoSectionLogsAnErrorForWhatIsMissing) {
    for (const SectionDeclaration* section : productSections())
        section->collect(run);
    for (const std::string& line : log()) {
        EXPECT_FALSE(line.starts_with("[!!]")) << line;
        EXPECT_EQ(line.find("Не могу получить список файлов Handbrix"), std::string::npos) << line;
    }
}

} // namespace
} // namespace kw
