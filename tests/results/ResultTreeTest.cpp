// The result tree's table against its invariants (one tree, unique keys, the view by the file's kind, a
// writer for every file), the nodes with texts or icons of their own, the searches and the export.
#include "results/ResultTree.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/CollectionRun.h"
#include "platform/Text.h"
#include "products/ProductSections.h"
#include "results/Findings.h"
#include "results/LocaleText.h"
#include "results/PackageManifest.h"
#include "results/SecretMasking.h"
#include "system/ComPlusReport.h"
#include "system/ConsoleCatalogue.h"
#include "system/Screenshots.h"
#include "system/SystemRegistryExports.h"

namespace kw {

// The text of results/ResultTree.tsv, compiled in.
std::string_view builtInResultTreeText();

namespace {

std::vector<const ResultNode*> fileNodes() {
    std::vector<const ResultNode*> out;
    for (const ResultNode& n : resultTree())
        if (n.kind != ViewKind::Category)
            out.push_back(&n);
    return out;
}

TEST(ResultTreeTest, EveryLineOfTheTableIsANodeOfOneTree) {
    std::string_view text = builtInResultTreeText();
    size_t lines = 0;
    for (size_t from = 0; from < text.size();) {
        size_t end = text.find('\n', from);
        std::string_view line = text.substr(from, end - from);
        from = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.front() != '#')
            ++lines;
    }
    auto nodes = resultTree();
    EXPECT_EQ(nodes.size(), 296u);
    EXPECT_EQ(nodes.size(), lines); // no line of the table left out as malformed
    ASSERT_FALSE(nodes.empty());
    EXPECT_EQ(nodes[0].depth, 0);
    for (size_t i = 1; i < nodes.size(); ++i)
        EXPECT_LE(nodes[i].depth, nodes[i - 1].depth + 1) << nodes[i].text;
}

TEST(ResultTreeTest, EveryTopicThatOpensAFileHasATextAndAFileOfItsOwn) {
    auto nodes = fileNodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        for (size_t j = i + 1; j < nodes.size(); ++j) {
            EXPECT_NE(nodes[i]->text, nodes[j]->text);
            EXPECT_FALSE(sameTextIgnoringCase(nodes[i]->file, nodes[j]->file)) << nodes[i]->file;
        }
    }
}

TEST(ResultTreeTest, ViewKindFollowsTheFileKind) {
    for (const ResultNode& n : resultTree()) {
        SCOPED_TRACE(std::string(n.text));
        if (n.kind == ViewKind::Category) {
            EXPECT_TRUE(n.file.empty());
            continue;
        }
        ViewKind expected = n.file.starts_with("(cmd)") ? ViewKind::Console
                            : n.file.ends_with(".csv")  ? ViewKind::Table
                                                        : ViewKind::Text;
        EXPECT_EQ(n.kind, expected) << n.file;
    }
}

// Every file a topic opens is written by a declared row, a console command, a registry export or a COM+
// report, or by one of the procedures below.
const std::string_view kWrittenByProcedures[] = {
    "software.txt",
    "hardware.txt",
    "Paths.txt",
    "programs.csv",
    "programs64.csv",
    "DxDiag.txt",
    "(REG)SocketProxyServer.txt",
    "SocketProxyServer.log",
    "SocketProxySvc.log",
    kScreenshotTable,
    kEventLogFile,
    kTimingLogFile,
    kSettingsFileName,
    kFindingsFile,
    kManifestFile, // saving a package
    kMaskedListFile,
};
// Topics whose file nothing writes: the storage listing belongs to a switch the dialog never offers, and the
// MDM product's temporary logs are not collected.
const std::string_view kNoWriter[] = {"(ELEMLib)Vault_Files.csv", "(Quadrix)_Log.csv"};

std::vector<std::string> writtenFiles() {
    std::vector<std::string> out(std::begin(kWrittenByProcedures), std::end(kWrittenByProcedures));
    for (const SectionDeclaration* section : productSections())
        for (const RowTable& t : section->tables) {
            for (const CaptureRow& row : t.captures)
                for (std::string& name : outputsOf(row))
                    out.push_back(name);
            for (const BranchRow& row : t.branches)
                out.push_back(std::string(row.target));
        }
    for (const ConsoleCommand& c : consoleCatalogue())
        out.push_back(c.outputFile);
    for (std::string& file : systemRegistryExportFiles())
        out.push_back(file);
    for (const std::string& name : comPlusApplicationNames())
        out.push_back(comPlusReportFile(name));
    return out;
}

TEST(ResultTreeTest, EveryFileATopicOpensHasAWriter) {
    std::vector<std::string> written = writtenFiles();
    for (const ResultNode* n : fileNodes()) {
        bool hasWriter = std::any_of(written.begin(), written.end(),
                                     [&](const std::string& w) { return sameTextIgnoringCase(w, n->file); });
        bool none = std::find(std::begin(kNoWriter), std::end(kNoWriter), n->file) != std::end(kNoWriter);
        EXPECT_NE(hasWriter, none) << n->text << " -> " << n->file;
    }
}

TEST(ResultTreeTest, TextsThatDifferOnlyByABlankOrAScriptOpenDifferentThings) {
    ASSERT_NE(findAssociation("mHome.ini "), nullptr);
    ASSERT_NE(findAssociation("mHome.ini"), nullptr);
    EXPECT_EQ(findAssociation("mHome.ini ")->file, "(MIRTAL)mHome.ini");
    EXPECT_EQ(findAssociation("mHome.ini")->file, "(MIRTAL_Home)mHome.ini");
    // Cyrillic х (U+0445, bytes D1 85) in three group texts, Latin x in the fourth.
    EXPECT_NE(findAssociation("Данные МИРТАЛ-3D в реестре (\xD1\x85"
                              "86)"),
              nullptr);
    EXPECT_NE(findAssociation("Данные МИРТАЛ-3D в реестре (\xD1\x85"
                              "64)"),
              nullptr);
    EXPECT_NE(findAssociation("Данные СИ в реестре (\xD1\x85"
                              "86)"),
              nullptr);
    EXPECT_NE(findAssociation("Данные СИ в реестре (x64)"), nullptr);
    EXPECT_EQ(findAssociation("Данные СИ в реестре (\xD1\x85"
                              "64)"),
              nullptr);
    EXPECT_EQ(findAssociation("Данные МИРТАЛ-3D в реестре (x86)"), nullptr);
    int logs = 0;
    for (const ResultNode& n : resultTree())
        if (n.text == "Журналы") {
            ++logs;
            EXPECT_EQ(n.kind, ViewKind::Category);
        }
    EXPECT_EQ(logs, 2);
}

TEST(ResultTreeTest, ImageIndexesFollowTheKindsAndTheNodesWithIconsOfTheirOwn) {
    const std::pair<const char*, int> own[] = {{"Параметры программного обеспечения", 31},
                                               {"Мой компьютер / Приложения COM+", 58},
                                               {"Команды консоли - cmd", 94},
                                               {"Свойства принтеров", 105},
                                               {"ТЕССАРИН", 17},
                                               {"МОРВАНТАЙД", 96},
                                               {"МИРТАЛ-3D Home", 6},
                                               {"МИРТАЛ-3D MCAD/AEC", 6},
                                               {"ПЕЛТРАН Расцеховщик [Peltrand\\Wrokan]", 12},
                                               {"КВАДРИКС:MDM", 114},
                                               {"KW_Scan!", 101},
                                               {"(x64) Установленные программы", 99},
                                               {"Журналы установки КОМПЛЕКСа", 70},
                                               {"418F55FF-BD08-42FC-9ECB-D288B3FDF148", 95},
                                               {"Данные в реестре", 95},
                                               {"Журналы СИ", 74},
                                               {"TAVIR Shared", 2}};
    for (auto [text, image] : own) {
        ASSERT_NE(findAssociation(text), nullptr) << text;
        EXPECT_EQ(findAssociation(text)->image, image) << text;
    }
    EXPECT_EQ(findAssociation("Установленные программы")->image, 70);
    EXPECT_EQ(findAssociation("SQLcmd /L - список серверов")->image, 18);
    EXPECT_EQ(findAssociation("(x64) HKLM_ELEMLib")->image, 99);
    EXPECT_EQ(findAssociation("HKLM_ELEMLib")->image, 0);
}

bool contains(std::string_view hay, std::string_view needle) {
    return containsNoCaseUtf8(hay, needle);
}

int indexOf(const char* text) {
    return static_cast<int>(findAssociation(text) - resultTree().data());
}

TEST(ResultTreeTest, SearchContinuesForwardWithoutWrappingAndNeverFindsBlanks) {
    EXPECT_FALSE(findTreeNode("   ", -1, false, contains));
    EXPECT_FALSE(findTreeNode("", 5, true, contains));
    EXPECT_EQ(findTreeNode("ПАРАМЕТРЫ", -1, false, contains), indexOf("Параметры программного обеспечения"));
    // A new search on a matching selected node keeps it; a continued one moves on.
    int first = indexOf("LogApp.log");
    EXPECT_EQ(findTreeNode(".log", first, false, contains), first);
    EXPECT_EQ(findTreeNode(".LOG", first, true, contains), indexOf("PeltrandAppServerMain.log"));
    // Past the last match there is no wrap-around to the top.
    EXPECT_FALSE(findTreeNode("Параметры", indexOf("События"), true, contains));
    EXPECT_FALSE(findTreeNode(".ini", indexOf("KW_scan.ini"), true, contains));
    EXPECT_EQ(findTreeNode("mHome.ini ", -1, false, contains), indexOf("mHome.ini "));
}

TEST(ResultTreeTest, ExportWritesOneLinePerNodeIndentedByTabs) {
    std::string text = treeExportText();
    EXPECT_EQ(text.rfind("Найденные проблемы\r\nПараметры программного обеспечения\r\n"
                         "\tМой компьютер / Приложения COM+\r\n"
                         "\t\tTAVIR Applications\r\n",
                         0),
              0u);
    EXPECT_TRUE(text.ends_with("\tСобытия\r\n\tСостав пакета\r\n\tСкрытые пароли\r\n"));
    EXPECT_NE(text.find("\t\tmHome.ini \r\n"), std::string::npos);
    size_t lines = 0;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
        ++lines;
    EXPECT_EQ(lines, 296u);
}

} // namespace
} // namespace kw
