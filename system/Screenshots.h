// Screenshots: a picture of the primary screen saved as a JPEG file in the work folder, its row in the
// table "KW_scan_Screenshots.csv" and its lines for the event log. Taking the program's own window off
// the screen first is the caller's part.
#pragma once
#include <optional>
#include <string>

#include "core/TextBuffer.h"
#include "core/WorkFolders.h"
#include "platform/FileSystem.h"
#include "platform/ScreenCapture.h"
#include "platform/SystemInfo.h"

namespace kw {

inline constexpr const char* kScreenshotTable = "KW_scan_Screenshots.csv";
inline constexpr const char* kScreenshotTableHeader = "Имя файла:\tБайт:\tДата:\t\t \t ";
inline constexpr int kScreenshotQuality = 90;

// "Screen_" + date + "_" + time + ".jpg", where the time's ":" and anything else a file name cannot hold
// (a date format's "/", say) become "-".
std::string screenshotFileName(const std::string& shortDate, const std::string& longTime);

// The table's lines with one row more: the lines of the table on disk (ANSI text) or, without one, the
// header line. The buffer holds the result.
void composeScreenshotTable(TextBuffer& table, const std::optional<std::string>& onDisk,
                            const std::string& row);

class Screenshot {
  public:
    // Names the picture by the current date and time.
    Screenshot(FileSystem& files, SystemInfo& system, WorkFolders& folders);

    const std::string& fileName() const { return fileName_; }
    std::string path() const { return folders_.workPath(fileName_); }

    // Captures the screen, saves the picture and adds its row to the table. Failures end up in logText().
    void take(ScreenCapture& screen);
    // The event-log lines of what take() did: a blank line, then the picture's path or what failed.
    const std::string& logText() const { return log_; }

  private:
    bool savePicture(ScreenCapture& screen);
    void addTableRow();
    void logFailure(const std::string& path, const std::string& errorClass, const std::string& message);

    FileSystem& files_;
    SystemInfo& system_;
    WorkFolders& folders_;
    std::string fileName_;
    std::string log_ = " ";
};

} // namespace kw
