// Times programs from CreateProcess to their first visible window, alternating
// between them run by run so that both see the same conditions.
//
//   startup_timer RUNS PROGRAM CLASS [PROGRAM CLASS ...]
//
// Each program starts in its own folder; once its window of class CLASS is
// visible it is sent WM_CLOSE and awaited before the next start. Prints each
// program's median, mean, minimum and maximum in milliseconds, the ratio of
// each median to the first program's, and its median working set once the
// window shows and the program waits for input.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD pid;
  const char* cls;
  HWND found;
};

BOOL CALLBACK Match(HWND w, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[256] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (pid == s->pid && IsWindowVisible(w) && std::string(cls) == s->cls) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

double Now(const LARGE_INTEGER& freq) {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

struct Sample {
  double ms = -1;  // to the first visible window; negative on failure
  double workingSetKb = 0;
};

Sample TimeOne(const std::string& program, const char* cls, const LARGE_INTEGER& freq) {
  std::string folder = program.substr(0, program.find_last_of("\\/"));
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double start = Now(freq);
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                      &pi))
    return {};
  Search s{pi.dwProcessId, cls, nullptr};
  Sample sample;
  while (Now(freq) - start < 30000) {
    EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      sample.ms = Now(freq) - start;
      break;
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;  // ended without a window
  }
  if (s.found) {
    WaitForInputIdle(pi.hProcess, 5000);
    PROCESS_MEMORY_COUNTERS m{};
    if (GetProcessMemoryInfo(pi.hProcess, &m, sizeof m))
      sample.workingSetKb = static_cast<double>(m.WorkingSetSize) / 1024;
    PostMessageA(s.found, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return sample;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || (argc - 2) % 2 != 0) {
    std::fprintf(stderr, "usage: startup_timer RUNS PROGRAM CLASS [PROGRAM CLASS ...]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const size_t count = static_cast<size_t>(argc - 2) / 2;
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  std::vector<std::vector<double>> times(count), memory(count);
  for (int run = 0; run < runs + 1; ++run) {
    for (size_t p = 0; p < count; ++p) {
      const Sample sample = TimeOne(argv[2 + 2 * p], argv[3 + 2 * p], freq);
      if (sample.ms < 0) {
        std::fprintf(stderr, "startup_timer: %s showed no window of class %s\n", argv[2 + 2 * p], argv[3 + 2 * p]);
        return 1;
      }
      if (run > 0) {  // the first round only warms caches
        times[p].push_back(sample.ms);
        memory[p].push_back(sample.workingSetKb);
      }
    }
  }
  double firstMedian = 0;
  for (size_t p = 0; p < count; ++p) {
    auto& t = times[p];
    std::sort(t.begin(), t.end());
    const double median = Median(t);
    double sum = 0;
    for (double v : t) sum += v;
    if (p == 0) firstMedian = median;
    std::printf("%-40s runs=%zu median=%.1f ms mean=%.1f ms min=%.1f ms max=%.1f ms ratio=%.3f working_set=%.0f KB\n",
                argv[2 + 2 * p], t.size(), median, sum / static_cast<double>(t.size()), t.front(), t.back(),
                median / firstMedian, Median(memory[p]));
  }
  return 0;
}
