// This instance of the program among others of the same user: the lock that tells a second instance, the
// work folders that only the first one deletes, and the screenshot hot key Alt+Shift+F9, whose failure
// also means another instance.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "core/CollectionRun.h"
#include "platform/Processes.h"

namespace kw {

class ProgramInstance {
  public:
    ProgramInstance(Processes& processes, Desktop& desktop, CollectionRun& engine)
        : processes_(processes), desktop_(desktop), engine_(engine) {}

    // The first steps of FormCreate, in their order: the lock, fresh work folders, the hot key, and the
    // warning when another instance holds either.
    void start(HWND window);
    bool second() const { return second_; }
    bool isHotKey(WPARAM id) const;
    void close(); // FormClose: the work folders go, unless another instance holds them then
    // The work folder outlives the program: a hidden run whose package could not be written.
    void keepWorkFolder() { keepWork_ = true; }
    void destroy(); // FormDestroy: the hot key is released

    std::function<void(const std::string& text, MessageKind kind)> report;

  private:
    Processes& processes_;
    Desktop& desktop_;
    CollectionRun& engine_;
    HWND window_ = nullptr;
    std::unique_ptr<InstanceLock> lock_;
    bool second_ = false;
    bool keepWork_ = false;
};

} // namespace kw
