// Random settings file content, section, key and value: the writer must never
// crash or hang, the reader must find what was written, and the written text
// must keep the tidy shape, in a single-byte and in a double-byte code page.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "ini.h"

namespace {

std::string Letters(FuzzedDataProvider& in) {
  std::string name = in.ConsumeRandomLengthString(12);
  for (char& c : name) c = static_cast<char>((static_cast<unsigned char>(c) % 52 < 26 ? 'a' : 'A') + static_cast<unsigned char>(c) % 26);
  return name.empty() ? "k" : name;
}

bool Low(char c) { return static_cast<unsigned char>(c) <= 13; }

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const unsigned codePage = in.ConsumeBool() ? 932 : 1252;
  const std::string section = Letters(in);
  const std::string key = Letters(in);
  std::string value = in.ConsumeRandomLengthString(40);
  std::erase_if(value, [](char c) { return c == '[' || c == '\r' || c == '\n'; });
  const std::string content = in.ConsumeRemainingBytesAsString();

  const std::string written = IniTextWithValue(content, section, key, value, codePage);

  // Tidy shape: first byte above 13, no two empty lines in a row, exactly one CR LF at the end.
  Check(written.size() >= 3 && !Low(written[0]));
  Check(written.find("\r\n\r\n\r\n") == std::string::npos);
  Check(written.ends_with("\r\n") && !Low(written[written.size() - 3]));

  std::string expected = value;
  while (!expected.empty() && Low(expected.back())) expected.pop_back();
  const std::string read = IniValueFromText(written, section, key, codePage);
  Check(read == value || read == expected);

  // Content without the key's section gets nothing but the appended section.
  IniValueFromText(content, section, key, codePage);
  return 0;
}
