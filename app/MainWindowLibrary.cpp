// The support library in the main window: the box "Библиотека пакетов..." and what it asks of the window
// (packages to open, the settings to save), and the packages opened in the window joining the library.
#include "app/LibraryPlaceFromSettings.h"
#include "app/MainWindow.h"
#include "app/RunFindings.h"
#include "library/PackageIntake.h"
#include "platform/Processes.h"

namespace kw {

LibraryWindow& MainWindow::library() {
    if (!library_) {
        library_ =
            std::make_unique<LibraryWindow>(platform_.files, settings_.library, &builtInEditionLookup());
        library_->create(module_, hwnd());
        library_->open = [this](const std::string& package, bool side2) {
            packages_.openNamed(side2, package);
        };
        library_->compareWithPrevious = [this](const std::string& package, const std::string& previous) {
            packages_.openNamed(false, package, [this, previous] {
                packages_.openNamed(true, previous, [this] { results_.compareAll(); });
            });
        };
        library_->settingsChanged = [this] { windowSettings_.save(); };
        library_->chooseFolder = [this] {
            return platform_.desktop.chooseFolder(hwnd(), "Папка с пакетами для библиотеки");
        };
        library_->report = [this](const std::string& text) {
            platform_.desktop.showMessage(library_->hwnd(), text, MessageKind::Info);
        };
    }
    return *library_;
}

void MainWindow::showLibrary() {
    if (busy())
        return;
    library().showModal();
}

void MainWindow::wireLibrary() {
    // With a library chosen, every package opened in the window joins it (the option is on by default).
    packages_.addToLibrary = [this](const std::string& package) -> std::string {
        LibrarySettings chosen = settings_.library; // read on the job's thread: a copy
        if (chosen.place.empty() || !chosen.addOpened)
            return {};
        try {
            PackageLibrary lib(libraryPlaceOf(chosen, platform_.files));
            std::string staging = platform_.files.tempDirectory() + "KW_Library_" +
                                  std::to_string(currentProcessId()) + "_open";
            IntakeOutcome outcome = PackageIntake(platform_.files, lib, staging, &builtInEditionLookup())
                                        .add(package, libraryTimestamp(platform_.system));
            return "Библиотека пакетов: " + intakeText(outcome);
        } catch (const SqlError& e) {
            return std::string("Библиотека пакетов не открыта: ") + e.what();
        }
    };
}

} // namespace kw
