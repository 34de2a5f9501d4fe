// Which of the AutoCAD releases the palette knows a choice goes to, or why it
// can go to none, decided from what the desk shows, so that it is tested without
// Windows: the window the user came from to the palette first, then the windows
// the user can see from the top of the z-order down.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A top-level window as the palette reads it.
struct WindowFacts {
  unsigned long process = 0;  // the process that shows it; 0 for a window that is gone
  // Where the user can see it: visible, not minimised, not on another virtual
  // desktop, not empty and not fully transparent. The palette's own windows and
  // topmost ones are not counted either.
  bool counts = true;
};

// What the process that shows a window is.
enum class ProcessKind {
  OtherProgram,
  AutoCAD,           // acad.exe, started with the palette's rights
  AutoCADElevation,  // acad.exe started with other rights (one of the two as administrator)
};

// Whether the main windows of the releases known so far have all been read.
enum class Unread {
  None,       // all of them
  NotAsked,   // some not yet: they can be read now
  NoAnswer,   // some did not answer within the wait (busy, or computing)
};

struct Desk {
  std::optional<WindowFacts> cameFrom;  // the window the user came from, while the palette has the keyboard
  std::vector<WindowFacts> windows;     // from the top of the z-order down
  // The process of each known release's main window, the attached one first; 0
  // where that window is not known.
  std::vector<unsigned long> releases;
  std::function<ProcessKind(unsigned long process)> kindOf;
  Unread unread = Unread::None;
  bool secondCopy = false;  // the running object table holds two entries of one class
};

enum class Front {
  Release,           // the known release `release`
  Read,              // an AutoCAD no known release owns is in front: read the unread ones first
  Wait,              // as for a busy AutoCAD: a release still starting, or one that has not answered
  SecondCopy,        // a second copy of a running release is in front: the table gives out only the first
  OtherElevation,    // an AutoCAD with other rights than the palette's is in front
};
struct InFront {
  Front front = Front::Release;
  size_t release = 0;
};

// The AutoCAD the user works in is the one the user came from, when that is an
// AutoCAD; else the one whose window the user sees highest. A window of a known
// release's process is that release's (its main window or one of its own); with
// no AutoCAD window at all, release 0 (the attached one) gets it.
InFront ReleaseInFront(const Desk& desk);

// The boxes for a choice that can go to no release; the elevation one is shown at
// start-up too, without a command.
std::string SecondCopyBoxText(const std::string& commandName);
std::string ElevationBoxText();

// Whether a process runs elevated (as administrator); Unknown where its token
// could not be read for another cause than a refusal (a refusal means elevated).
enum class Elevation { Normal, Elevated, Unknown };
// True only where both are known and differ.
bool ElevationDiffers(Elevation palette, Elevation acad);
