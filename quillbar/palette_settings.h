// The palette's own part of the settings file: section "Palette" with the layout
// (formNumber) and the position in twips (startX, startY). Read once at start-up,
// written when the user switches layout or closes the palette.
#pragma once
#include <cstdint>
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

// The switch: formNumber alone.
void SaveFormNumber(const std::string& iniPath, int layout, const FileOps& files = RealFiles());

// The close: formNumber, startX and startY, in one rewrite of the file.
void SavePalettePlace(const std::string& iniPath, int layout, int32_t left, int32_t top,
                      const FileOps& files = RealFiles());
