#include "palette_settings.h"

#include "ini.h"
#include "numbers.h"

namespace {

constexpr char kSection[] = "Palette";
constexpr char kFormNumber[] = "formNumber";
constexpr char kStartX[] = "startX";
constexpr char kStartY[] = "startY";

template <class Convert>
auto ReadNumber(const std::string& iniPath, const FileOps& files, const char* key, Convert convert)
    -> decltype(convert("")) {
  const std::string text = ReadIniValue(iniPath, kSection, key, files);
  if (text.empty()) return std::nullopt;
  const auto value = convert(text);
  if (!value) throw BadPaletteSetting(key);
  return value;
}

}  // namespace

PaletteSettings LoadPaletteSettings(const std::string& iniPath, const FileOps& files) {
  PaletteSettings s;
  s.startX = ReadNumber(iniPath, files, kStartX, TextToLong);
  s.startY = ReadNumber(iniPath, files, kStartY, TextToLong);
  s.formNumber = ReadNumber(iniPath, files, kFormNumber, TextToByte);
  return s;
}

void SaveFormNumber(const std::string& iniPath, int layout, const FileOps& files) {
  WriteIniValue(iniPath, kSection, kFormNumber, std::to_string(layout), files);
}

void SavePalettePlace(const std::string& iniPath, int layout, int32_t left, int32_t top, const FileOps& files) {
  const IniPairs pairs{
      {kFormNumber, std::to_string(layout)}, {kStartX, std::to_string(left)}, {kStartY, std::to_string(top)}};
  WriteIniValues(iniPath, kSection, pairs, files);
}
