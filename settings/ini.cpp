#include "ini.h"

#include <string_view>

#include "fileio.h"
#include "letters.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// `before`, `name` in lower case, `after`. Built by appending: GCC 12 takes a
// literal + string at -O2 for an overlapping copy (its bug 105329) and -Wrestrict
// stays on for the rest of the code.
std::string LowerBetween(std::string_view before, std::string_view name, std::string_view after, unsigned codePage) {
  std::string out(before);
  out += LowerCopy(name, codePage);
  out += after;
  return out;
}

// Hand-edited files may end lines with a lone LF or a lone CR; the writer works
// on CR LF only, so every line end becomes CR LF first.
// Appends `text` to `out` that way.
void AppendWithCrLfLineEnds(std::string& out, std::string_view text) {
  size_t from = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    const bool pair = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    if (pair) {
      ++i;
      continue;  // already a CR LF, copied with the run it ends
    }
    out.append(text, from, i - from);
    out += kCrLf;
    from = i + 1;
  }
  out.append(text.substr(from));
}

// No run of more than two CR LF pairs (at most one empty line in a row), no
// characters of code 13 or less at either end; then the final CR LF.
std::string Tidy(std::string_view text) {
  constexpr std::string_view kThree = "\r\n\r\n\r\n";
  std::string out;
  out.reserve(text.size() + 2);
  size_t from = 0;
  for (size_t i = text.find(kThree); i != std::string_view::npos; i = text.find(kThree, from)) {
    // Keep two pairs of the run and skip the rest of it.
    out.append(text.substr(from, i - from));
    out.append(kCrLf).append(kCrLf);
    from = i + 4;
    while (text.compare(from, 2, kCrLf) == 0) from += 2;
  }
  out.append(text.substr(from));
  auto low = [](char c) { return static_cast<unsigned char>(c) <= 13; };
  size_t end = out.size();
  while (end > 0 && low(out[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && low(out[begin])) ++begin;
  out.resize(end);
  if (begin > 0) out.erase(0, begin);
  out += kCrLf;
  return out;
}

void PrepareFile(const std::string& path, const FileOps& files) {
  files.createIfMissing(path);
  files.setArchiveOnly(path);
}

}  // namespace

std::string IniFilePath(const std::string& appFolder) { return appFolder + "\\" + "Vesk" + ".ini"; }

std::string ReadIniValue(const std::string& path, const std::string& section, const std::string& key,
                         const FileOps& files, unsigned codePage) {
  std::string text;
  RetryWhileBusy(path, [&] {
    PrepareFile(path, files);
    text = files.readAll(path);
  });
  return IniValueFromText(text, section, key, codePage);
}

// Line ends and "=" are below 0x40, so never the second byte of a letter; "[" and
// letters are looked at letter by letter.
std::string IniValueFromText(const std::string& text, const std::string& section, const std::string& key,
                             unsigned codePage) {
  const std::string header = LowerBetween("[", section, "]", codePage);
  const std::string prefix = LowerCopy(key, codePage) + "=";
  bool inSection = false;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = pos;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    const std::string_view line(text.data() + pos, end - pos);
    // A CR LF pair is one line end; a lone CR or LF is one too.
    pos = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);

    if (FindLetter(codePage, line, '[') != std::string_view::npos) {
      inSection = LowerCopy(line, codePage) == header;  // any "[" ends the open section; only an exact header opens one
      continue;
    }
    if (inSection && line.size() >= prefix.size() && LowerCopy(line.substr(0, prefix.size()), codePage) == prefix)
      return std::string(line.substr(prefix.size()));
  }
  return "";
}

std::string IniTextWithValue(const std::string& content, const std::string& section, const std::string& key,
                             const std::string& value, unsigned codePage) {
  // Both patterns start with a line end, so a match starts on a letter.
  const std::string headerPattern = LowerBetween("\r\n[", section, "]\r", codePage);
  const std::string keyPattern = LowerBetween("\n", key, "=", codePage);
  const std::string entry = key + "=" + value;

  // The leading CR LF lets a header on the first line match; the closing "[]"
  // is a section boundary after the last section.
  std::string work;
  work.reserve(content.size() + content.size() / 16 + entry.size() + section.size() + 16);
  work += kCrLf;
  // The tidy step drops control characters at the start of the file, which can
  // turn a first line such as "\t[Palette]" into a header; drop them before the
  // search so the write lands where a later read will look.
  size_t start = 0;
  while (start < content.size() && static_cast<unsigned char>(content[start]) <= 13) ++start;
  AppendWithCrLfLineEnds(work, std::string_view(content).substr(start));
  work += "[]";
  const std::string lower = LowerCopy(work, codePage);
  const size_t h = lower.find(headerPattern);
  work.resize(work.size() - 2);  // the "[]" has served its purpose once found

  if (h == std::string::npos) {
    work += "\r\n\r\n[" + section + "]\r\n" + entry;
  } else {
    const size_t afterHeader = h + headerPattern.size() + 1;  // past the header line's LF
    const size_t nextBoundary = FindLetter(codePage, lower, '[', h + headerPattern.size());
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
  return Tidy(std::string_view(work).substr(1));
}

void WriteIniValue(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value, const FileOps& files, unsigned codePage) {
  WriteIniValues(path, section, {{key, value}}, files, codePage);
}

void WriteIniValues(const std::string& path, const std::string& section, const IniPairs& pairs,
                    const FileOps& files, unsigned codePage) {
  if (pairs.empty()) return;
  // One writer at a time, also across processes (both programs may share the
  // file): without it, two read-change-writes at once lose one of the changes.
  // Readers need no lock, as the file is only ever replaced in one step.
  const FileLock lock = files.lockForWrite(path);
  std::string content;
  RetryWhileBusy(path, [&] {
    PrepareFile(path, files);
    content = files.readAll(path);
  });
  for (const auto& [key, value] : pairs) content = IniTextWithValue(content, section, key, value, codePage);
  ReplaceFileContent(path, content, files);
}
