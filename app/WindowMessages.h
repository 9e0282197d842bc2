// The main window's own messages, shared by the window and the parts that post them.
#pragma once
#include <windows.h>

namespace kw {

inline constexpr UINT WM_APP_INVOKE =
    WM_APP + 1;                                // lParam: std::function<void()>* to run on the window's thread
inline constexpr UINT WM_APP_LOG = WM_APP + 2; // the logs have new lines
inline constexpr UINT WM_APP_RUN_DONE = WM_APP + 3;  // the run's thread has returned
inline constexpr UINT WM_APP_AUTOSTART = WM_APP + 4; // "full" / "fullin"
inline constexpr UINT WM_APP_JOB_DONE = WM_APP + 5;  // a package job's thread has returned
inline constexpr UINT WM_APP_OPEN_ARGS = WM_APP + 6; // open the packages named on the command line
inline constexpr UINT WM_APP_PROGRESS = WM_APP + 7;  // the run has moved its progress, caption or topic

} // namespace kw
