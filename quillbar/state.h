// Quillbar's module variables: one of each for the whole run, shared by start-up,
// the command dispatch and every layout window. The AutoCAD application object is
// a COM pointer and lives with the Win32 code that holds it. Everything the
// palette remembers between two messages is here, so one assignment of a fresh
// PaletteState resets all of it.
#pragma once
#include <cstdint>
#include <string>

struct ControlDef;

struct PaletteState {
  std::string appFolder;      // folder of the running program, no final "\"
  std::string iniPath;        // appFolder\Vesk.ini
  std::string userIniPath;    // this user's own settings file; empty where the profile cannot be named
  bool onUserFile = false;    // the settings go to userIniPath: this user may not change iniPath
  int32_t paletteLeft = 0;    // twips; settings key startX
  int32_t paletteTop = 0;     // twips; settings key startY
  uint8_t currentLayout = 0;  // 1 to 4; settings key formNumber
  int32_t grabX = 0;          // twips inside the title control at the last left press
  int32_t grabY = 0;

  // The control of one layout that holds the mouse after a press on it.
  int heldLayout = 0;
  const ControlDef* heldControl = nullptr;
  // Set by a left press on the title, cleared when the title lets the mouse go.
  // A movement drags only while this is set: grabX and grabY then belong to the
  // press that started this drag, not to an earlier one, so sweeping a held
  // button across the title from elsewhere cannot make the palette jump.
  bool titleGrabbed = false;

  // From a menu choice until its command is delivered or given up; since when (ms).
  bool commandPending = false;
  uint64_t pendingSince = 0;
};

// The one instance of the run.
PaletteState& State();
