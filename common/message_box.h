// The message boxes of both programs: each kind is its icon, buttons and default
// button, with the Windows API's values, so that the portable code names them
// without windows.h. Both programs show them through ShowBox (show_box.h).
#pragma once

enum BoxKind : unsigned {
  kQuestionBox = 0x1 | 0x20 | 0x100,  // OK and Cancel, a question mark; Cancel is the default
  kInformationBox = 0x40,             // OK, an "i"
  kWarningBox = 0x30,                 // OK, an exclamation mark
  kErrorBox = 0x10,                   // OK, a stop sign
};

// The buttons a box answers with.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
