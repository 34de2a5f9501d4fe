// The Windows side of the seam, under Wine in the test command.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform.h"

namespace {

TEST(AnsiSpelling, WesternNamesAreSpelledExactly) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
  const ProgramFolder f = AnsiSpelling(L"C:\\Tools\\M\u00FChle [1]\\Vesk");
  EXPECT_TRUE(f.spellable);
  EXPECT_EQ(f.path, "C:\\Tools\\M\xFChle [1]\\Vesk");
}

TEST(AnsiSpelling, CharactersOutsideTheCodePageAreNotSpellable) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
  // Greek Omega and a CJK character have no place in 1252; U+0100 (A with macron)
  // would be best-fitted to "A", which must not count either.
  for (const wchar_t* name : {L"C:\\\u03A9\\Vesk", L"C:\\\u4E2D\\Vesk", L"C:\\\u0100\\Vesk"})
    EXPECT_FALSE(AnsiSpelling(name).spellable);
}

// A start through a "\\?\" path: the folder is spelled as users and AutoCAD write it.
TEST(ProgramFolder, LongPathPrefixIsDropped) {
  const struct { const wchar_t* started; const wchar_t* folder; } cases[] = {
      {L"\\\\?\\C:\\Tools\\Vesk", L"C:\\Tools\\Vesk"},
      {L"\\\\?\\UNC\\srv\\share\\Vesk", L"\\\\srv\\share\\Vesk"},
      {L"C:\\Tools\\Vesk", L"C:\\Tools\\Vesk"},
      {L"\\\\?\\Volume{1}\\Vesk", L"\\\\?\\Volume{1}\\Vesk"}};
  for (const auto& c : cases) EXPECT_EQ(WithoutLongPathPrefix(c.started), c.folder);
}

TEST(RealPlatform, AnsiTextBecomesUtf8) {
  const auto toUtf8 = RealPlatformOps().ansiToUtf8;
  EXPECT_EQ(toUtf8(""), "");
  if (GetACP() == 1252) EXPECT_EQ(toUtf8("C:/M\xFCller/Vesk.dvb"), "C:/M\xC3\xBCller/Vesk.dvb");
  else if (GetACP() == 1253) EXPECT_EQ(toUtf8("C:/\xB8\xF1\xE3\xE1/Vesk.dvb"), "C:/Έργα/Vesk.dvb");
  else GTEST_SKIP() << "needs code page 1252 or 1253";
}

TEST(RealPlatform, ProgramFolderIsTheFolderOfThisProgram) {
  const ProgramFolder f = RealPlatformOps().programFolder();
  ASSERT_TRUE(f.spellable);
  char module[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
  const std::string expected(module);
  EXPECT_EQ(f.path, expected.substr(0, expected.rfind('\\')));
  EXPECT_NE(f.path.back(), '\\');
}

}  // namespace
