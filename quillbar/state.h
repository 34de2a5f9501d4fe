// Quillbar's module variables: one of each for the whole run, shared by start-up,
// the command dispatch and every layout window. The AutoCAD objects (acadApp,
// acadDoc) are COM pointers and live with the Win32 code that holds them.
#pragma once
#include <cstdint>
#include <string>

struct PaletteState {
  std::string appFolder;      // folder of the running program, no final "\"
  std::string iniPath;        // appFolder\Vesk.ini
  int32_t paletteLeft = 0;    // twips; settings key startX
  int32_t paletteTop = 0;     // twips; settings key startY
  uint8_t currentLayout = 0;  // 1 to 4; settings key formNumber
  int32_t grabX = 0;          // twips inside the title control at the last left press
  int32_t grabY = 0;
};

// The one instance of the run.
PaletteState& State();
