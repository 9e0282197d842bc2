// What selecting a result-tree node does: the four loaders that fill side 1 from the work folder and
// side 2 from the comparison folder. The views are reached through SideViews, so this runs and is
// tested without windows.
#pragma once
#include <string>

#include "platform/FileSystem.h"
#include "results/LocaleText.h"
#include "results/ResultTree.h"
#include "results/TableModel.h"
#include "settings/OptionSet.h"

namespace kw {

// One side of the view area: a text view and a table view, one of them visible.
class SideViews {
  public:
    virtual ~SideViews() = default;
    virtual void showText(bool visible) = 0;
    virtual void showTable(bool visible) = 0;
    virtual void setPlainText(const std::wstring& text) = 0; // replaces the text view's content
    virtual void setRichText(const std::string& rtf) = 0;    // rich text shown with its formatting
    virtual void setWordWrap(bool on) = 0;
    virtual TableModel& table() = 0;
    virtual void tableChanged() = 0; // the model was replaced or reordered
    virtual void autoFitTable() = 0; // "Автоподбор, таблица"
};

class ResultViewer {
  public:
    // `workFolder` and `compareFolder` are full folder paths without a trailing separator.
    ResultViewer(FileSystem& files, const OptionSet& options, SideViews& side1, SideViews& side2,
                 std::string workFolder, std::string compareFolder);

    void TreeView1Change(const ResultNode* node); // nullptr: nothing selected, nothing shown
    void ShowCategoryHint();
    void ShowTextFile(const std::string& name);
    void ShowConsoleFile(const std::string& name);
    void ShowTableFile(const std::string& name);

    // "Кодировка Dos -> Win (для cmd-файлов)": console files are shown converted from the OEM code page.
    bool consoleConversion() const { return consoleConversion_; }
    void setConsoleConversion(bool on) { consoleConversion_ = on; }

    static std::string notFoundLine(const std::string& name) { return "Файл: " + name + " не найден"; }

  private:
    struct Side {
        SideViews& views;
        std::string folder;
    };
    std::string pathOf(const Side& s, const std::string& name) const { return s.folder + "\\" + name; }
    void loadText(Side& s, const std::string& name);
    void loadConsole(Side& s, const std::string& name);
    void showFileText(Side& s, const std::string& path, const std::string& name, Encoding encoding);
    void loadTable(Side& s, const std::string& name);

    FileSystem& files_;
    const OptionSet& options_;
    Side side1_, side2_;
    bool consoleConversion_ = true; // the button is down by default
};

} // namespace kw
