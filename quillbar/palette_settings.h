// The palette's own part of the settings file: section "Palette" with the layout
// (formNumber) and the position in twips (startX, startY). Read once at start-up,
// written when the user switches layout or closes the palette. The file is the
// folder's Vesk.ini, or this user's own where the folder's may not be changed.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "fileio.h"

// A stored value that is present but not a usable number.
struct BadPaletteSetting : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The stored values; empty where the key is missing or empty.
struct PaletteSettings {
  std::optional<int32_t> startX, startY;
  std::optional<uint8_t> formNumber;
};

// Reads startX, startY and formNumber, in that order (a missing file is created
// empty by the first read). Throws BadPaletteSetting for a value that is no
// number or out of range, SystemError when the file cannot be read.
PaletteSettings LoadPaletteSettings(const std::string& iniPath, const FileOps& files = RealFiles());

// Start-up's read, where this user may not change the folder's file `iniPath` (a
// read-only share, "Program Files", write-protected media): `onUserFile` is set,
// and the values come from the user's own file `userIni` (empty where there is
// none) where it exists, else from the folder's where there is one, both read
// without a change, else none. Elsewhere as above, and the user's file is not
// looked at.
PaletteSettings LoadPaletteSettings(const std::string& iniPath, const std::string& userIni, bool& onUserFile,
                                    const FileOps& files);

// Runs one save on `iniPath`, or on `userIni` once `onUserFile` is set, as it is
// when this user may not change `iniPath`. The user's file begins as a copy of
// the folder's (its folder made where missing).
using PaletteSave = std::function<void(const std::string& iniPath, const FileOps& files)>;
void SaveWhereAllowed(const std::string& iniPath, const std::string& userIni, bool& onUserFile,
                      const PaletteSave& save, const FileOps& files = RealFiles());

// The switch: formNumber alone.
void SaveFormNumber(const std::string& iniPath, int layout, const FileOps& files = RealFiles());

// The close: formNumber, startX and startY, in one rewrite of the file.
void SavePalettePlace(const std::string& iniPath, int layout, int32_t left, int32_t top,
                      const FileOps& files = RealFiles());
