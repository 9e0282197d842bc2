// Test entry point: every test gets a temporary directory of its own (TMP and TEMP point into it,
// so the program's work folders and child processes follow), removed again when the test ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

class PerTestTempFolder : public testing::EmptyTestEventListener {
  public:
    void OnTestStart(const testing::TestInfo& info) override {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        original_ = base;
        std::wstring root = original_ + L"kw_tests\\";
        CreateDirectoryW(root.c_str(), nullptr);
        std::string name = std::string(info.test_suite_name()) + "." + info.name();
        for (char& c : name)
            if (c == '/' || c == '\\' || c == ':')
                c = '_';
        folder_ = root + kw::toWide(name) + L"_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        kw::windowsFileSystem().deleteFolderTree(kw::toUtf8(folder_.substr(0, folder_.size() - 1)));
        CreateDirectoryW(folder_.c_str(), nullptr);
        SetEnvironmentVariableW(L"TMP", folder_.c_str());
        SetEnvironmentVariableW(L"TEMP", folder_.c_str());
    }
    void OnTestEnd(const testing::TestInfo& info) override {
        SetEnvironmentVariableW(L"TMP", original_.c_str());
        SetEnvironmentVariableW(L"TEMP", original_.c_str());
        if (info.result() && info.result()->Passed())
            kw::windowsFileSystem().deleteFolderTree(kw::toUtf8(folder_.substr(0, folder_.size() - 1)));
    }

  private:
    std::wstring original_, folder_;
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The listener list takes ownership of what it is given.
    testing::UnitTest::GetInstance()->listeners().Append(new PerTestTempFolder);
    return RUN_ALL_TESTS();
}
