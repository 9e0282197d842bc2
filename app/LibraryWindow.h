// "Библиотека пакетов...": the support library in a box of its own. The conditions of a search, the list
// of the packages found with the columns of "library find", "Открыть" (side 1), "Открыть для
// сравнения" (side 2), "Сравнить с предыдущим", "Добавить пакеты..." (a folder, on a thread of its own,
// with progress and Stop), the library's place and whether opened packages join it. The main window
// only wires it: what to open, and the settings to save.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "library/PackageLibrary.h"
#include "settings/DialogWindow.h"
#include "settings/Settings.h"

namespace kw {

struct EditionLookup;

class LibraryWindow final : public DialogWindow {
  public:
    LibraryWindow(FileSystem& files, LibrarySettings& settings, const EditionLookup* editions)
        : files_(files), settings_(settings), editions_(editions) {}
    ~LibraryWindow() override;

    bool create(HINSTANCE instance, HWND owner);

    // A package to open: side 1, or side 2 for comparison.
    std::function<void(const std::string& package, bool side2)> open;
    // Both packages to open, the earlier into side 2, and the whole comparison to show.
    std::function<void(const std::string& package, const std::string& previous)> compareWithPrevious;
    std::function<void()> settingsChanged; // the place or the option changed: the file is saved
    std::function<std::optional<std::string>()> chooseFolder; // "Добавить пакеты..."
    std::function<void(const std::string& text)> report;      // a message box

    static constexpr int kComputerId = 200, kProductId = 201, kVersionId = 202, kFindingId = 203,
                         kFileId = 204, kHashId = 205, kFindId = 210, kListId = 211, kCountId = 212,
                         kOpenId = 213, kOpenSide2Id = 214, kPreviousId = 215, kAddId = 216, kStopId = 217,
                         kProgressId = 218, kPlaceId = 219, kApplyPlaceId = 220, kAddOpenedId = 221;

    void find(); // "Найти"
    void openSelected(bool side2);
    void compareSelectedWithPrevious();
    void addFolder(); // "Добавить пакеты..."
    bool adding() const { return worker_.joinable(); }
    void applyPlace(); // "Применить"
    const std::vector<LibraryPackage>& found() const { return found_; }
    std::string countText() const;

  private:
    void buildControls() override;
    void shown() override;
    void closing() override;
    bool handle(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;
    bool openLibrary(); // the place the settings give; the count line says why not
    std::optional<LibraryPackage> selected();
    void setCount(const std::string& text);
    void addingDone();

    FileSystem& files_;
    LibrarySettings& settings_;
    const EditionLookup* editions_;
    std::unique_ptr<PackageLibrary> library_;
    std::vector<LibraryPackage> found_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<int> done_{0}, total_{0}, refused_{0};
};

} // namespace kw
