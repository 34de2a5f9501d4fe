// The text of the program-wide error report, shared by both programs.
#include <gtest/gtest.h>

#include <new>

#include "error.h"

namespace {

TEST(ErrorReportText, ShowsNumberAndDescription) {
  EXPECT_EQ(ErrorReportText(5, "Access is denied."), "Error 5:\nAccess is denied.");
  EXPECT_EQ(ErrorReportText(0x80010108, "Gone."), "Error 0x80010108:\nGone.");
  EXPECT_EQ(ErrorReportText(0x800401E3, ""), "Error 0x800401E3:\nUnknown error");
}

TEST(ErrorReportText, EveryExceptionGetsANumberAndADescription) {
  const auto report = [](auto thrower) {
    try {
      thrower();
    } catch (...) {
      return CurrentErrorReportText();
    }
    return std::string("nothing thrown");
  };
  EXPECT_EQ(report([] { throw SystemError(32, "In use."); }), "Error 32:\nIn use.");
  EXPECT_EQ(report([] { throw std::bad_alloc(); }),
            "Error 8:\nNot enough memory resources are available to process this command.");
  EXPECT_EQ(report([] { throw 42; }), "Error 1359:\nAn internal error occurred.");
}

}  // namespace
