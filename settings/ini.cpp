#include "ini.h"

#include <string_view>

#include "fileio.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Hand-edited files may end lines with a lone LF or a lone CR; the writer works
// on CR LF only, so every line end becomes CR LF first.
std::string WithCrLfLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      out += kCrLf;
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += kCrLf;
    } else {
      out += c;
    }
  }
  return out;
}

// No run of more than two CR LF pairs (at most one empty line in a row), no
// characters of code 13 or less at either end.
std::string Tidy(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  size_t pairs = 0;  // CR LF pairs just copied in a row
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, kCrLf) == 0) {
      if (++pairs <= 2) out += kCrLf;
      i += 2;
    } else {
      pairs = 0;
      out += text[i++];
    }
  }
  auto low = [](char c) { return static_cast<unsigned char>(c) <= 13; };
  size_t end = out.size();
  while (end > 0 && low(out[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && low(out[begin])) ++begin;
  return out.substr(begin, end - begin);
}

void PrepareFile(const std::string& path) {
  Files().createIfMissing(path);
  Files().setArchiveOnly(path);
}

}  // namespace

std::string IniFilePath(const std::string& appFolder) { return appFolder + "\\" + "Vesk" + ".ini"; }

std::string ReadIniValue(const std::string& path, const std::string& section, const std::string& key) {
  PrepareFile(path);
  return IniValueFromText(Files().readAll(path), section, key);
}

std::string IniValueFromText(const std::string& text, const std::string& section, const std::string& key) {
  const std::string header = "[" + LowerCopy(section) + "]";
  const std::string prefix = LowerCopy(key) + "=";
  bool inSection = false;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = pos;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    const std::string_view line(text.data() + pos, end - pos);
    // A CR LF pair is one line end; a lone CR or LF is one too.
    pos = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);

    const std::string lower = LowerCopy(line);
    if (lower.find('[') != std::string::npos) {
      inSection = lower == header;  // any "[" ends the open section; only an exact header opens one
      continue;
    }
    if (inSection && lower.compare(0, prefix.size(), prefix) == 0) return std::string(line.substr(prefix.size()));
  }
  return "";
}

std::string IniTextWithValue(const std::string& content, const std::string& section,
                             const std::string& key, const std::string& value) {
  const std::string headerPattern = "\r\n[" + LowerCopy(section) + "]\r";
  const std::string keyPattern = "\n" + LowerCopy(key) + "=";
  const std::string entry = key + "=" + value;

  // The leading CR LF lets a header on the first line match; the closing "[]"
  // is a section boundary after the last section.
  std::string work = WithCrLfLineEnds(content);
  work.insert(0, kCrLf);
  work += "[]";
  const std::string lower = LowerCopy(work);
  const size_t h = lower.find(headerPattern);
  work.resize(work.size() - 2);  // the "[]" has served its purpose once found

  if (h == std::string::npos) {
    work += "\r\n\r\n[" + section + "]\r\n" + entry;
  } else {
    const size_t afterHeader = h + headerPattern.size() + 1;  // past the header line's LF
    const size_t nextBoundary = lower.find('[', h + headerPattern.size());
    const size_t k = lower.find(keyPattern, h);
    if (k == std::string::npos || k > nextBoundary) {
      work.insert(afterHeader, entry + "\r\n");
    } else {
      // The old line runs to its CR; a last line without a line end runs to the end.
      size_t e = work.find('\r', k);
      if (e == std::string::npos) e = work.size();
      work.replace(k + 1, e - (k + 1), entry);
    }
  }
  return Tidy(std::string_view(work).substr(1)) + "\r\n";
}

void WriteIniValue(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value) {
  PrepareFile(path);
  const std::string content = Files().readAll(path);
  ReplaceFileContent(path, IniTextWithValue(content, section, key, value));
}
