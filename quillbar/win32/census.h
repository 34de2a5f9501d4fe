// The process census through WMI.
#pragma once
#include <string>

// True when some process on this machine has exactly this image name (letter
// case counts). Throws SystemError when WMI cannot be reached or refuses the query.
bool IsProcessRunning(const std::string& imageName);
