// Quillbar's start-up, from the program's entry to its first window: refuse a
// second copy, make sure AutoCAD runs, attach to it, read the saved layout and
// position, open the first layout.
// Everything that touches the platform goes through StartupOps, so the decisions
// are tested without Windows.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fileio.h"

#include "message_box.h"
#include "program_folder.h"
#include "release_in_front.h"
#include "twips.h"

struct StartupOps {
  std::function<bool()> earlierInstanceRuns;
  // The process census: true when some process has exactly this image name.
  // Its failures are not trapped by start-up.
  std::function<bool(const std::string& imageName)> isProcessRunning;
  // The folder of the running program, in the ANSI code page.
  std::function<ProgramFolder()> programFolder;
  // Fills acadApp from the running AutoCAD; throws when none is registered. No
  // drawing is read: AutoCAD may still be on its start screen.
  std::function<void()> attachApplication;
  // Whether the palette runs elevated, and the first acad.exe of this session
  // whose elevation differs from it (else the palette's own), asked only where
  // the attach failed: an elevated AutoCAD's object is out of reach of a palette
  // that is not, and the other way round.
  std::function<Elevation()> paletteElevation;
  std::function<Elevation()> acadElevation;
  std::function<ScreenTwips()> screenSize;
  // Every monitor of the desktop, the primary one first.
  std::function<std::vector<TwipArea>()> monitors;
  // Start-up's boxes are all errors.
  std::function<void(const std::string& text, const std::string& title, BoxKind kind)> messageBox;
  // Opens a layout modeless (1 to 4); throws when the window cannot be made.
  std::function<void(int layout)> openLayout;
  // Closes a layout; nothing happens when it is not open.
  std::function<void(int layout)> closeLayout;
  // Where this user's own settings file goes when the program's folder may not
  // be changed (%LOCALAPPDATA%\Vesk), in the ANSI code page; empty where it
  // cannot be named. Nothing is created there by asking.
  std::function<std::string()> userSettingsFolder;
  // The settings file is read through these.
  FileOps files = RealFiles();
};

enum class StartupOutcome {
  AlreadyRunning,  // an earlier instance runs: its box was shown
  AutoCADAbsent,   // no process "acad.exe": its box was shown
  FolderUnspellable,  // the ANSI code page cannot spell the program's folder: its box was shown
  OtherElevation,  // the attach failed and AutoCAD runs with other rights: its box was shown
  Failed,          // attach, settings or window failed: ended silently
  Started,         // one layout window is open
};

inline constexpr const char* kProgramTitle = "Quillbar";
inline constexpr const char* kAcadImageName = "acad.exe";

// The box shown when the ANSI code page cannot spell the program's folder.
std::string UnspellableFolderText();

// What creating the named instance lock said. A copy that finds it taken, or
// is denied it (a copy started as administrator holds it), is a second one; any
// other failure proves no other copy, so the palette goes on without the lock.
enum class InstanceLock { Ours, HeldByAnother, Unavailable };
InstanceLock InstanceLockFrom(bool gotHandle, unsigned long lastError);

// Runs the start-up steps against State(); returns how they ended. Failures of
// the census propagate to the caller (the program-wide error report).
StartupOutcome Main(const StartupOps& ops);

// A saved coordinate from 1 to the screen's extent less 1000 twips stays; any
// other becomes half the extent (halves to even).
int32_t PositionOnAxis(int32_t saved, double screenExtent);

// A saved corner that lies on some monitor, at least 1000 twips inside its right
// and bottom edges, with neither coordinate 0, is kept as it is on both axes.
bool SavedPointOnMonitor(const std::vector<TwipArea>& monitors, int32_t x, int32_t y);
