// Test tool for the settings store's writers, built natively and for Windows:
//
//   ini_writer write FILE SECTION PREFIX N GATE   waits for file GATE to exist, then
//       writes keys PREFIX0..PREFIX<N-1> (value = the key's number) with WriteIniValue;
//       prints "written=W failed=F" and the first failure; exit 0 when F is 0
//   ini_writer count FILE SECTION PREFIX N        prints how many of those keys read back right
//   ini_writer hold-lock FILE READY               takes the file's write lock, creates READY,
//       and holds the lock until the process is killed
//   ini_writer hold-open FILE READY MS            (Windows) opens FILE without FILE_SHARE_DELETE,
//       as a scanner does, creates READY, and closes it after MS ms (never when MS < 0)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "error.h"
#include "fileio.h"
#include "ini.h"

#ifdef _WIN32
#include "scoped_win.h"
#endif

namespace {

bool Exists(const std::string& path) { return RealFiles().probe(path) != FileKind::Missing; }

void Touch(const std::string& path) { RealFiles().writeNew(path, "ready", ""); }

// A bounded poll: 60 s at most.
bool WaitFor(const std::string& path) {
  for (int i = 0; i < 6000; ++i) {
    if (Exists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

[[noreturn]] void HoldForever() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

int Write(const std::string& file, const std::string& section, const std::string& prefix, int n,
          const std::string& gate) {
  if (!WaitFor(gate)) return std::fprintf(stderr, "no gate %s\n", gate.c_str()), 2;
  int failed = 0;
  std::string first;
  for (int i = 0; i < n; ++i) {
    try {
      WriteIniValue(file, section, prefix + std::to_string(i), std::to_string(i));
    } catch (...) {
      if (failed++ == 0) first = " first: " + CurrentErrorReportText();
    }
  }
  std::printf("written=%d failed=%d%s\n", n - failed, failed, first.c_str());
  return failed == 0 ? 0 : 1;
}

int Count(const std::string& file, const std::string& section, const std::string& prefix, int n) {
  const std::string text = RealFiles().readAll(file);
  int present = 0;
  for (int i = 0; i < n; ++i) present += IniValueFromText(text, section, prefix + std::to_string(i)) == std::to_string(i);
  std::printf("%d\n", present);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  try {
    if (verb == "write" && argc == 7) return Write(argv[2], argv[3], argv[4], std::atoi(argv[5]), argv[6]);
    if (verb == "count" && argc == 6) return Count(argv[2], argv[3], argv[4], std::atoi(argv[5]));
    if (verb == "hold-lock" && argc == 4) {
      const FileLock lock = RealFiles().lockForWrite(argv[2]);
      Touch(argv[3]);
      HoldForever();
    }
#ifdef _WIN32
    if (verb == "hold-open" && argc == 5) {
      const ScopedKernelHandle f(CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!f) ThrowLastError();
      Touch(argv[3]);
      const int ms = std::atoi(argv[4]);
      if (ms < 0) HoldForever();
      Sleep(static_cast<DWORD>(ms));
      return 0;
    }
#endif
  } catch (...) {
    std::fprintf(stderr, "%s\n", CurrentErrorReportText().c_str());
    return 1;
  }
  std::fprintf(stderr, "usage: see the head of ini_writer.cpp\n");
  return 2;
}
