#include "palette_settings.h"

#include "ini.h"
#include "numbers.h"

namespace {

constexpr char kSection[] = "Palette";
constexpr char kFormNumber[] = "formNumber";
constexpr char kStartX[] = "startX";
constexpr char kStartY[] = "startY";

template <class Convert>
auto Number(const std::string& text, const char* key, Convert convert) -> decltype(convert("")) {
  if (text.empty()) return std::nullopt;
  const auto value = convert(text);
  if (!value) throw BadPaletteSetting(key);
  return value;
}

// startX, startY and formNumber, read in that order through `read`.
template <class Read>
PaletteSettings SettingsFrom(Read read) {
  PaletteSettings s;
  s.startX = Number(read(kStartX), kStartX, TextToLong);
  s.startY = Number(read(kStartY), kStartY, TextToLong);
  s.formNumber = Number(read(kFormNumber), kFormNumber, TextToByte);
  return s;
}

bool Exists(const FileOps& files, const std::string& path) {
  const FileKind kind = files.probe(path);
  return kind == FileKind::Plain || kind == FileKind::HiddenOrSystem;
}

// A temporary file in the way keeps its own box: it names what to delete.
bool GoesToTheUsersFile(const SystemError& e, const std::string& userIni) {
  return !userIni.empty() && IsRefusedToThisUser(e.number) && !dynamic_cast<const TempFileInTheWay*>(&e);
}

}  // namespace

PaletteSettings LoadPaletteSettings(const std::string& iniPath, const FileOps& files) {
  return SettingsFrom([&](const char* key) { return ReadIniValue(iniPath, kSection, key, files); });
}

PaletteSettings LoadPaletteSettings(const std::string& iniPath, const std::string& userIni, bool& onUserFile,
                                    const FileOps& files) {
  try {
    return LoadPaletteSettings(iniPath, files);
  } catch (const SystemError& e) {
    if (!GoesToTheUsersFile(e, userIni)) throw;
  }
  // Both are read as they are, so nothing in the folder is created or changed.
  onUserFile = true;
  const std::string from = Exists(files, userIni) ? userIni : iniPath;
  if (!Exists(files, from)) return {};
  const std::string text = ReadFileContent(from, files);
  return SettingsFrom([&](const char* key) { return IniValueFromText(text, kSection, key); });
}

void SaveWhereAllowed(const std::string& iniPath, const std::string& userIni, bool& onUserFile,
                      const PaletteSave& save, const FileOps& files) {
  if (!onUserFile) {
    try {
      save(iniPath, files);
      return;
    } catch (const SystemError& e) {
      if (!GoesToTheUsersFile(e, userIni)) throw;
    }
    onUserFile = true;
  }
  if (!Exists(files, userIni)) {
    files.makeFolder(userIni.substr(0, userIni.find_last_of("\\/")));
    // It begins as the folder's file, so it holds everything the palette started from.
    if (Exists(files, iniPath)) ReplaceFileContent(userIni, ReadFileContent(iniPath, files), files);
  }
  save(userIni, files);
}

void SaveFormNumber(const std::string& iniPath, int layout, const FileOps& files) {
  WriteIniValue(iniPath, kSection, kFormNumber, std::to_string(layout), files);
}

void SavePalettePlace(const std::string& iniPath, int layout, int32_t left, int32_t top, const FileOps& files) {
  const IniPairs pairs{
      {kFormNumber, std::to_string(layout)}, {kStartX, std::to_string(left)}, {kStartY, std::to_string(top)}};
  WriteIniValues(iniPath, kSection, pairs, files);
}
