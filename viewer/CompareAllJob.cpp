// The thread of a whole comparison and the hand-over of what it reports.
#include "viewer/CompareAllJob.h"

namespace kw {

CompareAllJob::~CompareAllJob() {
    stop_.store(true);
    if (worker_.joinable())
        worker_.join();
}

bool CompareAllJob::create() {
    return createWindow({.name = L"KwCompareAllJob"}, {.parent = HWND_MESSAGE});
}

void CompareAllJob::start(const std::string& folder1, const std::string& folder2,
                          const CompareOptions& options, const NoiseOptions& noise) {
    running_ = true;
    stop_.store(false);
    if (worker_.joinable())
        worker_.join();
    HWND target = hwnd();
    worker_ = std::thread([this, target, folder1, folder2, options, noise] {
        auto result = std::make_shared<FolderComparison>(compareFolders(
            files_, folder1, folder2, options,
            [this, target](int done, int total) {
                PostMessageW(target, kProgressMessage, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
                return !stop_.load();
            },
            noise));
        std::lock_guard lock(mutex_);
        result_ = std::move(result);
        PostMessageW(target, kDoneMessage, 0, 0);
    });
}

LRESULT CompareAllJob::handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kProgressMessage) {
        if (running_ && onProgress)
            onProgress(static_cast<int>(wp), static_cast<int>(lp));
        return 0;
    }
    if (msg == kDoneMessage) {
        if (worker_.joinable())
            worker_.join();
        running_ = false;
        FolderComparison result;
        {
            std::lock_guard lock(mutex_);
            result = std::move(*result_);
            result_.reset();
        }
        if (onFinished)
            onFinished(std::move(result));
        return 0;
    }
    return Window::handle(msg, wp, lp);
}

} // namespace kw
