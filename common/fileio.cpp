#include "fileio.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "error.h"
#include "fileio_system.h"

std::string TempPathFor(const std::string& path) { return path + "_TEMP"; }

const FileOps& RealFiles() {
  using namespace system_files;
  static const FileOps ops{.createIfMissing = CreateIfMissing,
                           .setArchiveOnly = SetArchiveOnly,
                           .readAll = ReadAll,
                           .removeName = RemoveName,
                           .writeNew = WriteNew,
                           .moveReplace = MoveReplace,
                           .removeFile = RemoveFile,
                           .probe = Probe,
                           .lockForWrite = LockForWrite};
  return ops;
}

namespace {

using Clock = std::chrono::steady_clock;

// Runs `step` until it succeeds, retrying a momentary failure on `path` with a
// growing pause until `deadline`; any other failure, or one past the deadline,
// is rethrown.
template <class Step>
void RetryUntil(const std::string& path, Clock::time_point deadline, Step step) {
  std::chrono::milliseconds pause(5);
  for (;;) {
    try {
      step();
      return;
    } catch (const SystemError& e) {
      const auto now = Clock::now();
      if (!IsMomentaryFailure(path, e.number) || now >= deadline) throw;
      std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
      pause = std::min(pause * 2, std::chrono::milliseconds(200));
    }
  }
}

}  // namespace

void RetryWhileBusy(const std::string& path, const std::function<void()>& step) {
  RetryUntil(path, Clock::now() + std::chrono::milliseconds(kBusyRetryMs), step);
}

std::string ReadFileContent(const std::string& path, const FileOps& files) {
  std::string bytes;
  RetryWhileBusy(path, [&] { bytes = files.readAll(path); });
  return bytes;
}

void ReplaceFileContent(const std::string& path, std::string_view bytes, const FileOps& files) {
  const std::string temp = TempPathFor(path);
  const auto deadline = Clock::now() + std::chrono::milliseconds(kBusyRetryMs);
  bool ours = true;  // what bears the temporary name on a failure: not ours when the name was taken
  try {
    RetryUntil(temp, deadline, [&] {
      try {
        files.removeName(temp);  // a leftover of an interrupted run, or anything planted there
        files.writeNew(temp, bytes, path);
      } catch (const SystemError& e) {
        ours = !IsNameTaken(e.number);
        throw;
      }
    });
    ours = true;
    RetryUntil(path, deadline, [&] { files.moveReplace(temp, path); });
  } catch (...) {
    if (ours) files.removeFile(temp);
    throw;
  }
}
