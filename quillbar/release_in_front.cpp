#include "release_in_front.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kOtherProgram = -1, kUnknownAutoCAD = -2, kOtherElevation = -3;

// Whose window `w` is: a known release's number, or one of the marks above. A
// window that is gone (process 0) matches no release, not even one whose main
// window was never read.
int Owner(const Desk& desk, const WindowFacts& w, std::vector<std::pair<unsigned long, int>>& known) {
  if (w.process == 0) return kOtherProgram;
  const auto r = std::find(desk.releases.begin(), desk.releases.end(), w.process);
  if (r != desk.releases.end()) return static_cast<int>(r - desk.releases.begin());
  for (const auto& [process, owner] : known)
    if (process == w.process) return owner;
  const ProcessKind kind = desk.kindOf(w.process);
  const int owner = kind == ProcessKind::AutoCAD            ? kUnknownAutoCAD
                    : kind == ProcessKind::AutoCADElevation ? kOtherElevation
                                                            : kOtherProgram;
  known.emplace_back(w.process, owner);
  return owner;
}

}  // namespace

InFront ReleaseInFront(const Desk& desk) {
  std::vector<std::pair<unsigned long, int>> known;  // processes already asked about
  int front = kOtherProgram;
  if (desk.cameFrom) front = Owner(desk, *desk.cameFrom, known);
  for (size_t i = 0; front == kOtherProgram && i < desk.windows.size(); ++i)
    if (desk.windows[i].counts) front = Owner(desk, desk.windows[i], known);
  if (front >= 0) return {Front::Release, static_cast<size_t>(front)};
  switch (front) {
    case kOtherElevation: return {Front::OtherElevation};
    case kUnknownAutoCAD:
      if (desk.unread == Unread::NotAsked) return {Front::Read};
      // Every release that answered is known: an AutoCAD that is none of them is
      // a second copy where the table shows one, else one not registered yet.
      if (desk.unread == Unread::None && desk.secondCopy) return {Front::SecondCopy};
      return {Front::Wait};
    default: return {Front::Release, 0};
  }
}

std::string SecondCopyBoxText(const std::string& commandName) {
  return "This AutoCAD is a second copy of a release that is already running, and Quillbar reaches only the "
         "copy started first, so " + commandName + " was not sent.\nWork in the first copy, or close this one, "
         "then choose the command again.";
}

std::string ElevationBoxText() {
  return "AutoCAD runs with other rights than Quillbar (one of the two was started as administrator), so Windows "
         "does not let Quillbar reach it.\nStart both the same way: both as administrator, or neither.";
}

bool ElevationDiffers(Elevation palette, Elevation acad) {
  return palette != Elevation::Unknown && acad != Elevation::Unknown && palette != acad;
}
