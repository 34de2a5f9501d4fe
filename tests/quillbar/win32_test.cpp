// The Windows side of start-up against the real system (run under Wine).
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include "census.h"

namespace {

struct Com : testing::Test {
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(Com, CensusMatchesImageNamesExactly) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  std::string self = path;
  self = self.substr(self.find_last_of('\\') + 1);  // this test program's own image name
  EXPECT_TRUE(IsProcessRunning(self));
  std::string upper = self;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  ASSERT_NE(upper, self);
  EXPECT_FALSE(IsProcessRunning(upper)) << "letter case counts";
  EXPECT_FALSE(IsProcessRunning(self.substr(0, self.size() - 4))) << "no prefix match";
  EXPECT_FALSE(IsProcessRunning(""));
}

}  // namespace
