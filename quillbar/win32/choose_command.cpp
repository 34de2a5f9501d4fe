#include "choose_command.h"

#include <vector>

#include "busy.h"
#include "commands.h"
#include "hand_back.h"
#include "releases.h"
#include "show_box.h"
#include "startup.h"

namespace {

bool menuOpen = false;

bool IsUserInput(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
         (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONDBLCLK);
}

bool PointerOver(HWND palette) {
  POINT at;
  return GetCursorPos(&at) && WindowFromPoint(at) == palette;
}

// Waits `ms` while the palette keeps painting, or less once every one of
// `handles` is signalled, where there are any. Mouse and keys are dropped: a
// click now would act on a palette that is still busy with the last one. False
// when the palette was closed meanwhile (taskbar, End task): the command is then
// not tried again.
bool PauseWithPalettePainted(HWND palette, unsigned ms, std::vector<HANDLE> handles = {}) {
  if (PointerOver(palette)) SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const bool untilSignalled = !handles.empty();
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
        return false;
      }
      if (IsUserInput(msg.message)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (!IsWindow(palette)) return false;
    }
    std::erase_if(handles, [](HANDLE h) { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; });
    const ULONGLONG now = GetTickCount64();
    if (now >= end || (untilSignalled && handles.empty())) return true;
    MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(), static_cast<DWORD>(end - now),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace

void ChooseCommand(HWND palette, int layout, size_t index, HWND cameFrom) {
  ComPtr<IDispatch> drawing;  // the drawing in front, for this choice only
  ChoiceContext choice;
  choice.cameFrom = cameFrom;
  choice.readsUntil = GetTickCount64() + kReadsWaitMs;
  choice.waitForReads = [palette](const std::vector<HANDLE>& reads, DWORD ms) {
    PauseWithPalettePainted(palette, ms, reads);
  };
  DeliveryOps ops;
  ops.attach = AttachApplication;
  ops.readActiveDocument = [&] { return ActiveDocument(choice, drawing); };
  ops.send = [&](const std::string& text) { SendCommandTo(drawing.Get(), text); };
  ops.clockMs = [] { return static_cast<uint64_t>(GetTickCount64()); };
  ops.pause = [palette](unsigned ms) { return PauseWithPalettePainted(palette, ms); };
  ops.warningBox = [palette](const std::string& text) { ShowBox(palette, kWarningBox, text, kProgramTitle); };
  const Delivery delivery = SendWhenFree(CommandText(layout, index), ops);
  if (delivery == Delivery::Ignored || delivery == Delivery::Abandoned) return;
  // The command now asks for its input: the user types it into AutoCAD. After a
  // box the keyboard stays with the palette.
  if (delivery == Delivery::Sent) HandKeyboardToAutoCAD(AcadMainWindow());
  // The control under the pointer shows its own cursor again.
  if (IsWindow(palette) && PointerOver(palette))
    SendMessageA(palette, WM_SETCURSOR, reinterpret_cast<WPARAM>(palette), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

bool ShowWaitCursor() {
  if (!CommandPending()) return false;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  return true;
}

bool PaletteTakesInput(HWND palette) { return !CommandPending() && !menuOpen && IsWindowEnabled(palette); }

void NoteMenuOpen(bool open) { menuOpen = open; }
