#include "core/ConsoleCapture.h"

#include "core/CollectionRun.h"
#include "core/FileCapture.h"
#include "platform/Text.h"

namespace kw {

std::string quoteArgument(const std::string& text) {
    // The rules of CommandLineToArgvW: backslashes are literal unless they come before a quote.
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            backslashes = backslashes * 2 + 1;
        out.append(backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');
    out.push_back('"');
    return out;
}

std::shared_ptr<ChildProcess> ConsoleCapture::launch(const std::string& commandLine,
                                                     const std::string& outputPath) {
    ProcessLaunch l;
    l.commandLine = commandLine;
    l.outputFile = outputPath;
    LaunchResult r = run_.platform().processes.launch(l);
    if (!r.process) {
        run_.eventLog().append("[!!] [Запустить команду не удалось] [" + commandLine +
                               "] - EOSError ошибка, с сообщением: " + systemErrorText(r.error));
        return nullptr;
    }
    std::shared_ptr<ChildProcess> child = std::move(r.process);
    run_.consoleProcesses().track(commandLine, child);
    return child;
}

bool ConsoleCapture::startShellCommand(const std::string& command, const std::string& outputName) {
    // The capture file is opened here and handed to the interpreter as its output ("|" and the rest of
    // the command keep working): a work folder whose path holds "%", "^", "&" or a name outside the
    // code page is never read by the shell. /s: only the outer pair of quotes is stripped.
    return launch("cmd /s /c \"" + command + "\"", run_.folders().workPath(outputName)) != nullptr;
}

void ConsoleCapture::StartConsoleCapture(const std::string& logText, const std::string& command,
                                         const std::string& name) {
    if (!logText.empty())
        run_.eventLog().append(logText);
    startShellCommand(command, "(cmd)" + name + ".txt");
}

bool ConsoleCapture::startProgram(const std::string& commandLine, const std::string& outputName) {
    return launch(commandLine, run_.folders().workPath(outputName)) != nullptr;
}

bool ConsoleCapture::startDetached(const std::string& commandLine) {
    return launch(commandLine, "") != nullptr;
}

void ConsoleCapture::startRegistryExport(const std::string& fullKey, const std::string& name) {
    std::string commandLine =
        "reg export " + quoteArgument(fullKey) + " " + quoteArgument(run_.folders().workPath(name + ".txt"));
#ifdef _WIN64
    commandLine += " /reg:32"; // the 64-bit stand-in starts the 64-bit reg: it asks for the program's view
#endif
    if (auto child = launch(commandLine, ""))
        exports_.push_back({commandLine, child});
}

void ConsoleCapture::waitForRegistryExports() {
    std::vector<ConsoleProcesses::Tracked> group;
    group.swap(exports_);
    bool inRun = run_.running(); // outside a run the stop flag stands set
    run_.consoleProcesses().waitFor(group, [this, inRun] {
        run_.processMessages();
        return !(inRun && run_.stopFlag());
    });
}

bool ConsoleCapture::convertRegistryExport(const std::string& name, Missing missing) {
    std::string file = name + ".txt";
    if (!run_.platform().files.plainFileExists(run_.folders().workPath(file))) {
        if (missing == Missing::Logged)
            run_.eventLog().append("[-] не удалось обнаружить файл " + file);
        return false;
    }
    FileCapture(run_).CaptureUnicodeFile(run_.folders().workFolderPath(), "(REG)", file);
    return true;
}

} // namespace kw
