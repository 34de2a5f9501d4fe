#include "fileio.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "error.h"
#include "fileio_system.h"

std::string TempPathFor(const std::string& path) { return path + "_TEMP"; }

namespace {

FileLock LockForWrite(const std::string& path) {
  return system_files::LockForWriteWith(path, system_files::TryLock, std::chrono::milliseconds(kLockWaitMs));
}

// Runs `step` until it succeeds, retrying a momentary failure on `path` with a
// growing pause until `deadline`; any other failure, or one past the deadline,
// is rethrown.
template <class Step>
void RetryUntil(const std::string& path, Clock::time_point deadline, Step step) {
  std::chrono::milliseconds pause(5);
  bool onceMore = true;  // for a name that was perhaps being deleted
  for (;;) {
    try {
      step();
      return;
    } catch (const SystemError& e) {
      if (std::exchange(onceMore, false) && IsDeniedOnAGoneName(path, e.number)) continue;
      if (!IsMomentaryFailure(path, e.number) || !PauseUntil(deadline, pause, std::chrono::milliseconds(200))) throw;
    }
  }
}

}  // namespace

FileLock system_files::LockForWriteWith(const std::string& path, const LockTryCall& tryLock,
                                       std::chrono::milliseconds wait) {
  const LockFileName name = LockFileFor(path);
  const auto deadline = Clock::now() + wait;
  std::chrono::milliseconds pause(1);
  for (;;) {
    FileLock lock;
    if (tryLock(name, lock) == LockTry::Held) return lock;
    // Lost waits as Busy does: a volume that never keeps the name would otherwise spin for ever.
    if (!PauseUntil(deadline, pause, std::chrono::milliseconds(20))) ThrowStillLocked();
  }
}

bool PauseUntil(Clock::time_point deadline, std::chrono::milliseconds& pause, std::chrono::milliseconds longest) {
  const auto now = Clock::now();
  if (now >= deadline) return false;
  // Whole milliseconds, up to the deadline and not short of it: Windows sleeps in
  // whole milliseconds, and a wake just short of the deadline would spin there.
  std::this_thread::sleep_for(std::min<Clock::duration>(pause, std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
  pause = std::min(pause * 2, longest);
  return true;
}

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
                           .makeFolder = MakeFolder,
                           .lockForWrite = LockForWrite};
  return ops;
}

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
  bool ours = false;  // whether what bears the temporary name is ours to remove on a failure
  try {
    try {
      RetryUntil(temp, deadline, [&] {
        ours = false;
        files.removeName(temp);  // a leftover of an interrupted run, or anything planted there
        try {
          files.writeNew(temp, bytes, path);
        } catch (const SystemError& e) {
          ours = !IsNameTaken(e.number);  // taken again since: not ours
          throw;
        }
        ours = true;
      });
    } catch (const SystemError& e) {
      if (!ours) throw TempFileInTheWay(e, temp, path);
      throw;
    }
    RetryUntil(path, deadline, [&] { files.moveReplace(temp, path); });
  } catch (...) {
    if (ours) files.removeFile(temp);
    throw;
  }
}

std::string TempFileInTheWayText(const std::string& temp, const std::string& file) {
  const size_t slash = file.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  return "Cannot remove the temporary file " + temp + ", so " + name + " was not changed.\n\n" +
         "Delete that file, or close the program that holds it open, then try again.";
}
