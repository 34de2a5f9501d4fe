// The portable tables against the real (Wine) system.
#include <gtest/gtest.h>
#include <windows.h>

#include "letters.h"

namespace {

TEST(LeadBytes, EachDoubleByteCodePageAgreesWithTheSystemForEveryByte) {
  for (const unsigned codePage : {932u, 936u, 949u, 950u}) {
    ASSERT_TRUE(IsValidCodePage(codePage)) << codePage;
    for (unsigned byte = 0; byte < 256; ++byte) {
      const bool system = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != FALSE;
      EXPECT_EQ(IsLeadByte(codePage, static_cast<unsigned char>(byte)), system)
          << "code page " << codePage << ", byte 0x" << std::hex << byte;
    }
  }
}

}  // namespace
