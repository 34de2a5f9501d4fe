// Which of several running AutoCAD releases a choice goes to, decided from the
// z-order alone, so that it is tested without Windows.
#pragma once
#include <cstddef>
#include <optional>
#include <vector>

// `windows` are the shown windows a user can be working in, from the top of the
// z-order down (the palette's own and topmost ones left out), each as the number
// of the release whose process shows it (its main window, or one of its own above
// it), or:
inline constexpr int kOtherProgram = -1;    // a window of no AutoCAD
inline constexpr int kUnknownAutoCAD = -2;  // of an AutoCAD whose main window is not known
// The first window of a known release wins; with no such window, release 0 (the
// attached one). While a release whose main window cannot be read is busy
// (`busyUnread`), an unknown AutoCAD's window above may be that release's, and the
// answer is to wait for it (nullopt); one further down does not matter.
std::optional<size_t> ReleaseInFront(const std::vector<int>& windows, bool busyUnread);
