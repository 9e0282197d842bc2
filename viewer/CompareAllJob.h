// "Сравнить все разделы" off the window's thread: compareFolders on a thread of its own, stopped on
// request, its progress and its result handed to the thread that created the job (through a message-only
// window), where onProgress and onFinished run.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/Window.h"
#include "results/FolderComparison.h"

namespace kw {

class CompareAllJob : private Window {
  public:
    explicit CompareAllJob(FileSystem& files) : files_(files) {}
    ~CompareAllJob() override; // stops a running comparison and waits for it

    bool create(); // on the thread that is to get the progress and the result
    void start(const std::string& folder1, const std::string& folder2, const CompareOptions& options,
               const NoiseOptions& noise);
    void stop() { stop_.store(true); } // the comparison ends early, with what it has
    bool running() const { return running_; }

    std::function<void(int done, int total)> onProgress;
    std::function<void(FolderComparison result)> onFinished;

  private:
    LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;
    static constexpr UINT kProgressMessage = WM_APP + 40; // wParam done, lParam total
    static constexpr UINT kDoneMessage = WM_APP + 41;

    FileSystem& files_;
    bool running_ = false;
    std::atomic<bool> stop_{false};
    std::thread worker_;
    std::mutex mutex_;
    std::shared_ptr<FolderComparison> result_; // handed over from the worker
};

} // namespace kw
