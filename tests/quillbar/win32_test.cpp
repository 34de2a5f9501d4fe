// The Windows side of start-up against the real system (run under Wine).
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <stdexcept>

#include "busy.h"
#include "census.h"
#include "com_result.h"
#include "message_filter.h"

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
  // Not "": under Wine a process that another test has just ended can be listed
  // for a moment with an empty name.
  EXPECT_FALSE(IsProcessRunning(self.substr(1))) << "no suffix match";
}

// The filter the program registers is the one COM asks: "retry later" is waited
// out, an outright rejection fails the call for the sender's own retry.
TEST_F(Com, BusyFilterIsRegisteredOnTheThread) {
  RegisterBusyFilter();
  IMessageFilter* current = nullptr;
  ASSERT_EQ(CoRegisterMessageFilter(nullptr, &current), S_OK);
  ASSERT_NE(current, nullptr);
  const DWORD pause = current->RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER);
  EXPECT_TRUE(pause >= 100 && pause <= 250) << pause;
  EXPECT_EQ(current->RetryRejectedCall(nullptr, 0, SERVERCALL_REJECTED), static_cast<DWORD>(-1));
  EXPECT_EQ(current->MessagePending(nullptr, 0, PENDINGTYPE_TOPLEVEL), static_cast<DWORD>(PENDINGMSG_WAITDEFPROCESS));
  current->Release();
}

// A throw inside a COM method the program implements comes out as an HRESULT,
// with the out parameters emptied.
TEST(ComMethod, AThrowBecomesAnHresult) {
  BSTR text = reinterpret_cast<BSTR>(1);
  VARIANT v;
  v.vt = VT_I4;
  EXPECT_EQ(ComMethod([]() -> HRESULT { throw std::bad_alloc(); }, &text, &v), E_OUTOFMEMORY);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(v.vt, VT_EMPTY);
  long n = 7;
  EXPECT_EQ(ComMethod([]() -> HRESULT { throw std::runtime_error("x"); }, &n), E_FAIL);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(ComMethod([&]() -> HRESULT { n = 3; return S_FALSE; }, &n), S_FALSE) << "a return passes through";
  EXPECT_EQ(n, 3);
}

}  // namespace
