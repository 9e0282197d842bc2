// A product section on a described machine: registry and system facts by hand, real files in the
// test's temporary folder (the shell folders too), console tools recorded instead of run.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/CollectionRun.h"
#include "platform/Text.h"
#include "tests/TempFolder.h"
#include "tests/core/FakeProcesses.h"
#include "tests/core/FakeSystem.h"
#include "tests/products/TestShellFolders.h"
#include "tests/system/FakeComPlus.h"
#include "tests/system/FakeRegistry.h"

namespace kw::test {

inline constexpr RegistryRoot LM = RegistryRoot::LocalMachine;
inline constexpr RegistryRoot CU = RegistryRoot::CurrentUser;
inline constexpr RegistryView Wide = RegistryView::Wow64_64;

class ProductTest : public testing::Test {
  protected:
    FakeSystem machine;
    FakeRegistry registry;
    RecordingProcesses processes;
    FakeCom com;
    TestShellFolders files;
    OptionSet options;
    Settings settings;
    CollectionRun run{{.files = files,
                       .system = machine,
                       .desktop = windowsDesktop(),
                       .processes = processes,
                       .registry = registry,
                       .com = com},
                      options,
                      settings};
    std::string appData, commonAppData;

    void SetUp() override {
        appData = folder("AppData");
        commonAppData = folder("ProgramData");
        files.folders = {{kCsidlAppData, appData}, {kCsidlCommonAppData, commonAppData}};
        run.folders().CreateWorkFolder(kWorkFolder);
        run.eventLog().clear();
    }

    // A folder below the test's temporary folder, created with its parents; without a trailing separator.
    std::string folder(const std::string& relative) {
        std::string path = tempDir() + relative;
        for (size_t at = tempDir().size(); (at = path.find('\\', at + 1)) != std::string::npos;)
            files.createFolder(path.substr(0, at));
        files.createFolder(path);
        return path;
    }
    // A file with its folders; the text is written in the ANSI code page.
    std::string put(const std::string& relative, const std::string& text) {
        std::string path = tempDir() + relative;
        if (size_t slash = relative.rfind('\\'); slash != std::string::npos)
            folder(relative.substr(0, slash));
        writeFileBytes(path, utf8ToAnsi(text));
        return path;
    }

    std::string work(const std::string& name) { return run.folders().workPath(name); }
    bool inWork(const std::string& name) { return fileExists(work(name)); }
    std::string workText(const std::string& name) { return ansiToUtf8(readFileBytes(work(name))); }
    std::vector<std::string> workLines(const std::string& name) {
        std::vector<std::string> lines = splitLines(workText(name));
        if (!lines.empty() && lines.back().empty())
            lines.pop_back();
        return lines;
    }

    std::vector<std::string> log() { return run.eventLog().texts(); }
    bool logHas(const std::string& line) {
        auto l = log();
        return std::find(l.begin(), l.end(), line) != l.end();
    }
    bool logContains(const std::string& part) {
        auto l = log();
        return std::any_of(l.begin(), l.end(),
                           [&](const std::string& s) { return s.find(part) != std::string::npos; });
    }
    // The lines are in the log in this order (others may stand between them).
    bool logInOrder(const std::vector<std::string>& lines) {
        auto l = log();
        auto at = l.begin();
        for (const std::string& line : lines) {
            at = std::find(at, l.end(), line);
            if (at == l.end())
                return false;
            ++at;
        }
        return true;
    }
    // The names of the work folder's files (the permission dumps' targets are recorded, not written).
    bool started(const std::string& part) {
        return std::any_of(processes.started.begin(), processes.started.end(),
                           [&](const std::string& s) { return s.find(part) != std::string::npos; });
    }
};

} // namespace kw::test
