// Message box styles and answers of both programs, with the Windows API's values,
// so that the portable code names them without windows.h.
#pragma once

constexpr unsigned kBoxOk = 0x0;
constexpr unsigned kBoxOkCancel = 0x1;
constexpr unsigned kIconStop = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kDefaultButton2 = 0x100;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
