// Pathmend.exe: no window of its own, nothing read from the command line.
#include <windows.h>

#include "platform.h"
#include "run.h"
#include "system_dll.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before the first box: it loads DLLs of the system by name.
  SearchSystemFolderOnly();
  return RunPathmend(RealPlatformOps());
}
