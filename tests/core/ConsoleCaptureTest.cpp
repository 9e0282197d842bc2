#include "core/ConsoleCapture.h"

#include <windows.h>

#include "tests/core/PrimitivesTest.h"

namespace kw {
namespace {

TEST(QuoteArgument, KeepsWhatTheProgramMustReceive) {
    EXPECT_EQ(quoteArgument("C:\\A B\\"), "\"C:\\A B\\\\\"");
    EXPECT_EQ(quoteArgument("a&b%c^d"), "\"a&b%c^d\"");
    EXPECT_EQ(quoteArgument("say \"x\""), "\"say \\\"x\\\"\"");
    EXPECT_EQ(quoteArgument("\\\\srv\\s"), "\"\\\\srv\\s\"");
}

// The temporary directory of a user whose name has a blank and an ampersand.
class ConsoleCaptureTest : public test::PrimitivesTest {
  protected:
    void SetUp() override {
        std::string odd = test::tempDir() + "Ivan Petrov & Co\\";
        windowsFileSystem().createFolder(odd);
        SetEnvironmentVariableW(L"TMP", toWide(odd).c_str());
        SetEnvironmentVariableW(L"TEMP", toWide(odd).c_str());
        PrimitivesTest::SetUp();
    }
};

TEST_F(ConsoleCaptureTest, OutputReachesTheWorkFolderWithQuotesIntact) {
    ConsoleCapture console(run);
    console.StartConsoleCapture("echo > (cmd)args.txt", "echo NET USER \"Ivan Petrov\" /DOMAIN", "args");
    console.StartConsoleCapture("", "type NUL", "nothing");
    EXPECT_EQ(run.consoleProcesses().count(), 2u);
    run.waitForConsoleProcesses();
    EXPECT_EQ(run.consoleProcesses().count(), 0u);
    // The capture is the interpreter's output handle: no ">" in the command line, so no blank before it.
    EXPECT_EQ(test::readFileBytes(work("(cmd)args.txt")), "NET USER \"Ivan Petrov\" /DOMAIN\r\n");
    EXPECT_TRUE(inWork("(cmd)nothing.txt"));
    EXPECT_EQ(test::readFileBytes(work("(cmd)nothing.txt")), "");
    EXPECT_EQ(log(), std::vector<std::string>{"echo > (cmd)args.txt"});
}

TEST_F(ConsoleCaptureTest, ProgramStartedWithoutTheInterpreterGetsItsArgumentUnchanged) {
    ConsoleCapture console(run);
    // Through an interpreter "&" would end the command and %PATH% would be expanded.
    std::string folder = test::tempDir() + "a&b %PATH% ^c\\";
    std::string self = windowsFileSystem().programPath();
    std::string echo = self.substr(0, self.rfind('\\') + 1) + "kw_fixture_versioned.exe";
    ASSERT_TRUE(console.startProgram(quoteArgument(echo) + " " + quoteArgument(folder), "(cmd)direct.txt"));
    run.waitForConsoleProcesses();
    EXPECT_EQ(test::readFileBytes(work("(cmd)direct.txt")), folder + "\r\n");
}

TEST_F(ConsoleCaptureTest, SlowProcessIsAbandonedAfterItsTimeOut) {
    ConsoleCapture console(run);
    run.consoleProcesses().setTimeouts(300, 1000);
    std::string self = windowsFileSystem().programPath();
    std::string sleeper = self.substr(0, self.rfind('\\') + 1) + "kw_fixture_versioned.exe";
    ASSERT_TRUE(console.startProgram(quoteArgument(sleeper) + " --sleep 3000", "(cmd)slow.txt"));
    run.waitForConsoleProcesses();
    ASSERT_FALSE(log().empty());
    EXPECT_EQ(log().back().rfind("[!!] Не дождались завершения команды", 0), 0u);
}

TEST_F(ConsoleCaptureTest, RegistryExportToolIsAwaitedAndConverted) {
    ConsoleCapture console(run);
    console.startRegistryExport("HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\Samples\\Export", "Samples");
    console.startRegistryExport("HKEY_LOCAL_MACHINE\\SOFTWARE\\TAVIR\\NoSuchKey", "Missing");
    console.waitForRegistryExports();
    EXPECT_TRUE(console.convertRegistryExport("Samples"));
    EXPECT_FALSE(console.convertRegistryExport("Missing"));
    EXPECT_TRUE(logHas("[-] не удалось обнаружить файл Missing.txt"));
    EXPECT_FALSE(inWork("Samples.txt"));
    std::string text = workText("(REG)Samples.txt");
    EXPECT_EQ(text.rfind("Samples.txt: [" + collapseSeparators(run.folders().workFolderPath()) +
                             "Samples.txt] (REG)\r\n",
                         0),
              0u)
        << text.substr(0, 200);
    EXPECT_NE(text.find("\"View\"=\"32\""), std::string::npos);
}

} // namespace
} // namespace kw

namespace kw {
namespace {

class ConsoleWaitTest : public test::PrimitivesTest {};

TEST_F(ConsoleWaitTest, RunWaitsForItsConsoleProcessesBeforeTheCompletionStep) {
    options.set(Option::SelectAll, true);
    options.set(Option::SelectAll, false);
    options.set(Option::SystemInfo, true);
    std::string self = windowsFileSystem().programPath();
    std::string sleeper = quoteArgument(self.substr(0, self.rfind('\\') + 1) + "kw_fixture_versioned.exe");
    run.addTopic(StepPlace::SystemStep, {.gate = Option::SystemInfo, .caption = "Информация о системе"}, [&] {
        ConsoleCapture(run).startProgram(sleeper + " --sleep 700", "(cmd)late.txt");
        ConsoleCapture(run).startProgram(sleeper + " done", "(cmd)early.txt");
    });
    run.ToolButton30Click();
    EXPECT_EQ(run.consoleProcesses().count(), 0u);
    auto l = log();
    EXPECT_TRUE(std::none_of(l.begin(), l.end(), [](const std::string& s) { return s.starts_with("[!!]"); }));
    EXPECT_EQ(test::readFileBytes(work("(cmd)early.txt")), "done\r\n");
    EXPECT_TRUE(inWork("KW_Scan!.rtf"));
}

} // namespace
} // namespace kw
