// Start-up's platform on Windows: instance guard, census, attach, screen,
// message boxes and the layout windows.
#pragma once
#include "startup.h"

StartupOps RealStartupOps();

// True when an earlier instance holds the program's named mutex. This instance
// then owns nothing; otherwise it holds the mutex until it ends, and the system
// lets go of it even when the process dies.
bool EarlierInstanceRuns();
