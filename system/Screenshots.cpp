#include "system/Screenshots.h"

#include <memory>
#include <new>
#include <string_view>

#include "core/FileInventory.h"
#include "platform/JpegWriter.h"
#include "platform/Text.h"

namespace kw {
namespace {

// Characters Windows refuses in a file name; control characters go the same way.
bool unfitForFileName(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

// The error class names the step that failed, as the log lines of the other writers do.
std::optional<FileError> writeWhole(FileSystem& files, const std::string& path, std::string_view bytes,
                                    std::string& errorClass) {
    FileError error;
    std::unique_ptr<FileWriter> out = files.createWrite(path, error);
    if (!out) {
        errorClass = "EFCreateError";
        return error;
    }
    if (out->write(bytes))
        return std::nullopt;
    errorClass = "EWriteError";
    return out->error();
}

std::optional<std::string> readWhole(FileSystem& files, const std::string& path, FileError& error) {
    std::unique_ptr<FileReader> in = files.openRead(path, error);
    if (!in)
        return std::nullopt;
    std::string bytes, block(1 << 16, '\0');
    std::int64_t got;
    while ((got = in->read(block.data(), block.size())) > 0)
        bytes.append(block.data(), static_cast<size_t>(got));
    if (got == 0)
        return bytes;
    error = in->error();
    return std::nullopt;
}

} // namespace

std::string screenshotFileName(const std::string& shortDate, const std::string& longTime) {
    std::string name = "Screen_" + shortDate + "_" + longTime;
    for (char& c : name)
        if (unfitForFileName(c))
            c = '-';
    return name + ".jpg";
}

void composeScreenshotTable(TextBuffer& table, const std::optional<std::string>& onDisk,
                            const std::string& row) {
    table.clear();
    if (onDisk) {
        std::vector<std::string> lines = splitLines(ansiToUtf8(*onDisk));
        if (!lines.empty() && lines.back().empty())
            lines.pop_back(); // the last line's own line end
        table.setLines(std::move(lines));
    } else {
        table.appendLine(kScreenshotTableHeader);
    }
    table.appendLine(row);
}

Screenshot::Screenshot(FileSystem& files, SystemInfo& system, WorkFolders& folders)
    : files_(files), system_(system), folders_(folders) {
    LocalTime now = system_.now();
    fileName_ = screenshotFileName(system_.shortDate(now), system_.longTime(now));
}

void Screenshot::take(ScreenCapture& screen) {
    try {
        if (!savePicture(screen))
            return;
        log_ += "\r\nScreenshot ---> \"" + path() + "\"";
        addTableRow();
    } catch (const std::bad_alloc&) {
        // A screen larger than the address space left to a 32-bit program.
        logFailure(path(), "EOutOfMemory", "Недостаточно памяти");
    }
}

bool Screenshot::savePicture(ScreenCapture& screen) {
    std::string error;
    std::optional<ScreenImage> image = screen.capturePrimaryScreen(error);
    if (!image) {
        logFailure(path(), "EOSError", error);
        return false;
    }
    std::optional<std::string> jpeg = encodeJpeg(*image, kScreenshotQuality, error);
    image.reset();
    if (!jpeg) {
        logFailure(path(), "EJPEG", error);
        return false;
    }
    std::string errorClass;
    if (auto failed = writeWhole(files_, path(), *jpeg, errorClass)) {
        files_.deleteFile(path()); // no picture that stops half-way
        logFailure(path(), errorClass, failed->message);
        return false;
    }
    return true;
}

void Screenshot::addTableRow() {
    std::string tablePath = folders_.workPath(kScreenshotTable);
    std::optional<std::string> onDisk;
    if (files_.plainFileExists(tablePath)) {
        // A table that is there but cannot be read keeps its rows: it is not started afresh over them.
        FileError error;
        onDisk = readWhole(files_, tablePath, error);
        if (!onDisk) {
            logFailure(tablePath, "EFOpenError", error.message);
            return;
        }
    }
    std::optional<LocalTime> modified = folders_.FileDateOf(path());
    LocalTime t = modified.value_or(LocalTime{});
    std::string row = fileName_ + "\t" + std::to_string(folders_.FileSizeOf(path())) + "\t" +
                      dateTimeText(system_, t.year, t.month, t.day, t.hour, t.minute, t.second) + "\t \t \t ";
    TextBuffer table; // the hidden table buffer, Memo7 of the form
    composeScreenshotTable(table, onDisk, row);
    std::string errorClass;
    if (auto failed = writeWhole(files_, tablePath, utf8ToAnsi(table.text()), errorClass))
        logFailure(tablePath, errorClass, failed->message);
}

void Screenshot::logFailure(const std::string& path, const std::string& errorClass,
                            const std::string& message) {
    log_ += "\r\n[!!] [Screenshot] [\"" + path + "\"] - " + errorClass + " ошибка, с сообщением: " + message;
}

} // namespace kw
