// The settings store against a plain read-and-rewrite of the same bytes, on files
// of 1 KB, 1 MB and 100 MB whose wanted section is the last one (the worst case:
// the whole text is searched); and its write at 1 KB with its lock file beside the
// lock it took before (StoreWriteFolderLock, LockFile against LockFolder).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "fileio.h"
#include "ini.h"

namespace {

std::string MakeFile(size_t size) {
  const std::string path = (std::filesystem::temp_directory_path() / ("vesk-bench-" + std::to_string(size) + ".ini")).string();
  std::string text = "[Filler]\r\n";
  while (text.size() < size) text += "key" + std::to_string(text.size()) + "=some value of a line\r\n";
  text += "[Palette]\r\nstartX=1\r\nstartY=2\r\n";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

void StoreWrite(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  int i = 0;
  for (auto _ : state) WriteIniValue(path, "Palette", "startX", std::to_string(++i % 10));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

// The lock the store took before its lock file: flock on the file's folder, which
// makes no file.
FileLock FolderLock(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  FileLock lock({open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)});
  if (!lock || flock(lock.get().file, LOCK_EX) != 0) throw std::runtime_error("no folder lock");
  return lock;
}

// The store's write with that lock, beside StoreWrite in the same run.
void StoreWriteFolderLock(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  FileOps files = RealFiles();
  files.lockForWrite = FolderLock;
  int i = 0;
  for (auto _ : state) WriteIniValue(path, "Palette", "startX", std::to_string(++i % 10), files);
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

// The two locks alone: taken and released.
void LockFile(benchmark::State& state) {
  const std::string path = MakeFile(1 << 10);
  for (auto _ : state) benchmark::DoNotOptimize(RealFiles().lockForWrite(path));
  std::remove(path.c_str());
}

void LockFolder(benchmark::State& state) {
  const std::string path = MakeFile(1 << 10);
  for (auto _ : state) benchmark::DoNotOptimize(FolderLock(path));
  std::remove(path.c_str());
}

void StoreRead(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ReadIniValue(path, "Palette", "startY"));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

// The palette's close: its three keys as three single writes, and as the one
// rewrite that the close does.
void CloseThreeWrites(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  int i = 0;
  for (auto _ : state) {
    const std::string n = std::to_string(++i % 10);
    WriteIniValue(path, "Palette", "formNumber", n);
    WriteIniValue(path, "Palette", "startX", n);
    WriteIniValue(path, "Palette", "startY", n);
  }
  std::remove(path.c_str());
}

void CloseOneRewrite(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  int i = 0;
  for (auto _ : state) {
    const std::string n = std::to_string(++i % 10);
    WriteIniValues(path, "Palette", {{"formNumber", n}, {"startX", n}, {"startY", n}});
  }
  std::remove(path.c_str());
}

// Baseline: read the bytes and write them back in place, no flush.
void PlainRewrite(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

// Baseline: the same bytes through the same durable path as the store
// (temporary file, flush, replace in one step), without any text work.
void DurableRewrite(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  for (auto _ : state) ReplaceFileContent(path, RealFiles().readAll(path));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

void PlainRead(benchmark::State& state) {
  const std::string path = MakeFile(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(RealFiles().readAll(path));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

#define SIZES ->Arg(1 << 10)->Arg(1 << 20)->Arg(100 << 20)->Unit(benchmark::kMicrosecond)
BENCHMARK(StoreWrite) SIZES;
BENCHMARK(StoreWriteFolderLock)->Arg(1 << 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(LockFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(LockFolder)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainRewrite) SIZES;
BENCHMARK(DurableRewrite) SIZES;
BENCHMARK(StoreRead) SIZES;
BENCHMARK(CloseThreeWrites)->Arg(1 << 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(CloseOneRewrite)->Arg(1 << 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainRead) SIZES;

}  // namespace
