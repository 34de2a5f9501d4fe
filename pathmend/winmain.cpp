// Pathmend.exe: no window of its own, nothing read from the command line.
#include <windows.h>

#include "platform.h"
#include "run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return RunPathmend(RealPlatformOps());
}
