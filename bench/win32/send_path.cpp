// Send-path benchmark under Wine: commands delivered per second through the
// palette's send path (what a menu choice runs, without the menu: ActiveDocument
// read, SendCommand, busy handling) against a bare loop of SendCommand calls on
// one drawing, its name resolved once, to the same stand-in AutoCAD. The two
// alternate in rounds; each round prints both rates and their ratio.
//
//   send_path.exe [ROUNDS [COUNT]]     (default 5 rounds of 2000 commands each way)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "releases.h"
#include "choose_command.h"
#include "commands.h"
#include "message_filter.h"

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds for `count` sends.
template <typename Send>
double Timed(int count, Send send) {
  LARGE_INTEGER from, to;
  QueryPerformanceCounter(&from);
  for (int i = 0; i < count; ++i) send();
  QueryPerformanceCounter(&to);
  return Seconds(from, to);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const int count = argc > 2 ? std::atoi(argv[2]) : 2000;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  RegisterBusyFilter();
  if (!AttachApplication()) {
    std::fprintf(stderr, "no AutoCAD is registered\n");
    return 1;
  }
  const size_t land = *CommandIndexForItem("mnuLAND");

  // The bare loop: one drawing, SendCommand's DISPID resolved once.
  ComPtr<IDispatch> drawing;
  if (ActiveDocument(ChoiceContext{}, drawing) != DrawingRead::Found) return 1;
  LPOLESTR name = const_cast<LPOLESTR>(L"SendCommand");
  DISPID sendId = DISPID_UNKNOWN;
  if (FAILED(drawing->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &sendId))) return 1;
  const Bstr text = MakeBstr(L"_Landscape\r");
  auto bare = [&] {
    VARIANT arg;
    arg.vt = VT_BSTR;
    arg.bstrVal = text.get();
    DISPPARAMS params{&arg, nullptr, 1, 0};
    if (FAILED(drawing->Invoke(sendId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                               nullptr)))
      std::exit(2);
  };
  // The palette's path; no window owns it, so no box can be shown.
  auto palette = [&] { ChooseCommand(nullptr, 1, land, nullptr); };

  Timed(count / 10, bare);  // warm-up
  Timed(count / 10, palette);
  // The machine is shared: the two alternate in short batches, so a change of
  // load falls on both alike.
  constexpr int kBatch = 20;
  std::vector<double> ratios;
  for (int r = 0; r < rounds; ++r) {
    double bareSeconds = 0, paletteSeconds = 0;
    for (int done = 0; done < count; done += kBatch) {
      bareSeconds += Timed(kBatch, bare);
      paletteSeconds += Timed(kBatch, palette);
    }
    const double b = count / bareSeconds, p = count / paletteSeconds;
    ratios.push_back(p / b);
    std::printf("round %d: bare SendCommand %.0f/s, palette send path %.0f/s, ratio %.2f\n", r + 1, b, p, p / b);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("median ratio (palette / bare): %.2f\n", ratios[ratios.size() / 2]);
  drawing.Reset();
  ReleaseAutoCAD();
  RevokeBusyFilter();
  CoUninitialize();
  return 0;
}
