// ReplaceTextInFile on .lsp files of 1 KB, 1 MB and 100 MB with one occurrence of
// the .dvb path per KB, beside plain copies of the same file in the same run:
// the kernel's own copy (Copy), that copy flushed to disk as the replacement's
// temporary file is (CopyFlushed), and the same file calls as the replacement
// with nothing replaced (Rewrite: read, write the temporary file, flush, rename).
// ReplaceInMemory is the replacement pass alone (both spellings, any letter case),
// ExactInMemory the exact search of one spelling beside it. The filler lines carry a
// code page 1252 letter, which ends the UTF-8 check at once; ReplaceAscii and
// ReplaceUtf8 are the files it reads to the end. Wall-clock time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fileio.h"
#include "platform.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;

// The paths as the run hands them over, and as the file writes them.
const std::string kOld = "C:\\Apps\\Vesk\\Vesk.dvb";
const std::string kNew = "D:\\Tools\\Vesk\\Vesk.dvb";
const std::string kOldSlashed = "C:/Apps/Vesk/Vesk.dvb";
const std::string kNewSlashed = "D:/Tools/Vesk/Vesk.dvb";

// AutoLISP-like lines; every KB holds one (vl-vbaload "...") line. `letter`
// is the one beyond ASCII in each filler line's comment.
std::string MakeLsp(size_t size, const std::string& letter = "\xE4") {
  const std::string path = (fs::temp_directory_path() / ("vesk-bench-" + std::to_string(size) + ".lsp")).string();
  const std::string load = "(vl-vbaload \"" + kOldSlashed + "\")\r\n";
  const std::string filler = "(setq vesk-count (+ vesk-count 1)) ; " + letter + " keep counting the points\r\n";
  std::string text;
  text.reserve(size + 1024);
  while (text.size() < size) {
    const size_t kb = text.size() + 1024;
    text += load;
    while (text.size() + filler.size() <= kb && text.size() + filler.size() <= size) text += filler;
    if (text.size() < kb && text.size() < size) text.append(std::min(kb, size) - text.size(), ';');
  }
  text.resize(size);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

void ReplaceIn(benchmark::State& state, const std::string& letter) {
  const std::string path = MakeLsp(static_cast<size_t>(state.range(0)), letter);
  PlatformOps platform;  // the real files; the paths are ASCII
  platform.ansiToUtf8 = [](const std::string& ansi) { return ansi; };
  bool forth = true;
  for (auto _ : state) {
    // Back and forth, so that every pass finds all its occurrences.
    benchmark::DoNotOptimize(forth ? ReplaceTextInFile(platform, path, kOld, kNew)
                                   : ReplaceTextInFile(platform, path, kNew, kOld));
    forth = !forth;
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

void Replace(benchmark::State& state) { ReplaceIn(state, "\xE4"); }
void ReplaceAscii(benchmark::State& state) { ReplaceIn(state, "a"); }
void ReplaceUtf8(benchmark::State& state) { ReplaceIn(state, "\xC3\xA4"); }

void Copy(benchmark::State& state) {
  const std::string path = MakeLsp(static_cast<size_t>(state.range(0)));
  const std::string copy = path + ".copy";
  for (auto _ : state) fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
  std::remove(copy.c_str());
}

void CopyFlushed(benchmark::State& state) {
  const std::string path = MakeLsp(static_cast<size_t>(state.range(0)));
  const std::string copy = path + ".copy";
  for (auto _ : state) {
    fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
    const int fd = open(copy.c_str(), O_WRONLY);
    if (fd < 0 || fsync(fd) != 0) state.SkipWithError("fsync failed");
    if (fd >= 0) close(fd);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
  std::remove(copy.c_str());
}

void Rewrite(benchmark::State& state) {
  const std::string path = MakeLsp(static_cast<size_t>(state.range(0)));
  for (auto _ : state) ReplaceFileContent(path, RealFiles().readAll(path));
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

// The exact search of one spelling that the replacement did before it sought both
// spellings in any letter case: the baseline of ReplaceInMemory, in the same run.
std::string ReplaceExact(const std::string& text, std::string_view search, std::string_view replacement) {
  size_t count = 0;
  for (size_t f = text.find(search); f != std::string::npos; f = text.find(search, f + search.size())) ++count;
  std::string out;
  out.reserve(text.size() + count * replacement.size());
  size_t copied = 0;
  for (size_t f = text.find(search); f != std::string::npos; f = text.find(search, copied)) {
    out.append(text, copied, f - copied);
    out.append(replacement);
    copied = f + search.size();
  }
  out.append(text, copied);
  return out;
}

void ExactInMemory(benchmark::State& state) {
  const std::string path = MakeLsp(static_cast<size_t>(state.range(0)));
  std::string text = RealFiles().readAll(path);
  bool forth = true;
  for (auto _ : state) {
    text = forth ? ReplaceExact(text, kOldSlashed, kNewSlashed) : ReplaceExact(text, kNewSlashed, kOldSlashed);
    benchmark::DoNotOptimize(text.data());
    forth = !forth;
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

void ReplaceInMemory(benchmark::State& state) {
  const std::string path = MakeLsp(static_cast<size_t>(state.range(0)));
  std::string text = RealFiles().readAll(path);
  bool forth = true;
  for (auto _ : state) {
    text = forth ? ReplacePath(text, kOld, kNew, 1252) : ReplacePath(text, kNew, kOld, 1252);
    benchmark::DoNotOptimize(text.data());
    forth = !forth;
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

// The first run's search: every whole path that ends in the .dvb file's name
// becomes the new path (the text stays the same from pass to pass).
void FirstRunInMemory(benchmark::State& state) {
  const std::string path = MakeLsp(static_cast<size_t>(state.range(0)));
  std::string text = RealFiles().readAll(path);
  for (auto _ : state) {
    text = ReplaceFileName(text, "Vesk.dvb", kNewSlashed, 1252);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1 << 10)->Arg(1 << 20)->Arg(100 << 20)->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(Replace)->Apply(Sizes);
BENCHMARK(ReplaceAscii)->Apply(Sizes);
BENCHMARK(ReplaceUtf8)->Apply(Sizes);
BENCHMARK(Copy)->Apply(Sizes);
BENCHMARK(CopyFlushed)->Apply(Sizes);
BENCHMARK(Rewrite)->Apply(Sizes);
BENCHMARK(ReplaceInMemory)->Apply(Sizes);
BENCHMARK(ExactInMemory)->Apply(Sizes);
BENCHMARK(FirstRunInMemory)->Apply(Sizes);

}  // namespace
