// The results area of the main window: the viewer pane over the work folder and the comparison folder,
// what its captions and sides show after a run, an opened package or cleared results, and the commands
// that follow from what it shows ("Сохранить информацию...", "(2)", "Сравнить все разделы").
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "app/CommandBar.h"
#include "core/CollectionRun.h"
#include "viewer/ViewerPane.h"

namespace kw {

class ResultsArea {
  public:
    ResultsArea(Platform& platform, OptionSet& options, Settings& settings, WorkFolders& folders,
                CommandBar& commands)
        : platform_(platform), options_(options), settings_(settings), folders_(folders),
          commands_(commands) {}

    void create(HWND window, HFONT font);
    ViewerPane& viewer() { return *viewer_; }
    bool comparingAll() const { return viewer_ && viewer_->comparingAll(); }
    void move(int x, int y, int width, int height);
    void show(bool visible);

    void runStarted();          // side 1's caption is emptied
    void offerResults(bool on); // after a run: its results may be saved and compared
    void showPackage(bool side2, const std::string& fileName);
    void showCleared();
    void compareAll(); // "Сравнить все разделы", once side 2 shows a package

  private:
    Platform& platform_;
    OptionSet& options_;
    Settings& settings_;
    WorkFolders& folders_;
    CommandBar& commands_;
    std::unique_ptr<ViewerPane> viewer_;
};

} // namespace kw
