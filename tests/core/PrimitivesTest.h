// A collection engine on the real platform with its work folder made, for the tests of the
// collection primitives; helpers read what they leave behind.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/CollectionRun.h"
#include "platform/Text.h"
#include "tests/TempFolder.h"

namespace kw::test {

class PrimitivesTest : public testing::Test {
  protected:
    OptionSet options;
    Settings settings;
    CollectionRun run{
        {windowsFileSystem(), windowsSystemInfo(), windowsDesktop(), windowsProcesses()}, options, settings};

    void SetUp() override {
        run.folders().CreateWorkFolder(kWorkFolder);
        run.eventLog().clear();
    }
    std::string work(const std::string& name) { return run.folders().workPath(name); }
    // A work-folder file as UTF-8 text (it is written in ANSI).
    std::string workText(const std::string& name) { return ansiToUtf8(readFileBytes(work(name))); }
    bool inWork(const std::string& name) { return fileExists(work(name)); }
    std::vector<std::string> log() { return run.eventLog().texts(); }
    bool logHas(const std::string& line) {
        auto l = log();
        return std::find(l.begin(), l.end(), line) != l.end();
    }
    // A folder of the test's own, ending in a separator.
    std::string scratch(const std::string& name) {
        std::string path = tempDir() + name + "\\";
        windowsFileSystem().createFolder(path);
        return path;
    }
};

// The lines of a text with CR LF line ends (the last line end gives no empty line).
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> out;
    size_t from = 0;
    for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        out.push_back(text.substr(from, at - from));
    if (from < text.size())
        out.push_back(text.substr(from));
    return out;
}

} // namespace kw::test
