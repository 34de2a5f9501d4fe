// The program-wide report of an error nothing else trapped: a box titled
// "Quillbar" with the error's number and description, then the program ends.
#pragma once
#include <windows.h>

// Call inside a catch block: reports the exception being handled over `owner`
// (or no window) and ends the process. Steps already done stay done.
[[noreturn]] void EndWithErrorReport(HWND owner);
