#include <gtest/gtest.h>

#include <filesystem>

#include "../common/temp_dir.h"
#include "encoding.h"
#include "error.h"
#include "fileio.h"
#include "scripted.h"
#include "text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The old path C:\Apps\Vesk\Vesk.dvb becomes D:\Tools\Vesk\Vesk.dvb.
struct PathCase {
  const char* name;
  std::string text, expected;
};

class PathCases : public testing::TestWithParam<PathCase> {};

TEST_P(PathCases, BothSpellingsInAnyCaseTakeTheNewPathInTheirSpelling) {
  size_t count = 0;
  const std::string replaced = ReplacePath(GetParam().text, "C:\\Apps\\Vesk\\Vesk.dvb", "D:\\Tools\\Vesk\\Vesk.dvb", 1252, &count);
  EXPECT_EQ(replaced, GetParam().expected);
  EXPECT_EQ(count == 0, replaced == GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Text, PathCases,
    testing::Values(
        PathCase{"Slashes", "(vl-vbaload \"C:/Apps/Vesk/Vesk.dvb\")\r\n", "(vl-vbaload \"D:/Tools/Vesk/Vesk.dvb\")\r\n"},
        PathCase{"DoubledBackslashes", "(vl-vbaload \"C:\\\\Apps\\\\Vesk\\\\Vesk.dvb\")", "(vl-vbaload \"D:\\\\Tools\\\\Vesk\\\\Vesk.dvb\")"},
        PathCase{"AnyLetterCase", "c:/apps/VESK/vesk.DVB C:\\\\APPS\\\\vesk\\\\Vesk.dvb", "D:/Tools/Vesk/Vesk.dvb D:\\\\Tools\\\\Vesk\\\\Vesk.dvb"},
        PathCase{"SingleBackslashesAreEscapes", "\"C:\\Apps\\Vesk\\Vesk.dvb\"", "\"C:\\Apps\\Vesk\\Vesk.dvb\""},
        PathCase{"MixedSeparatorsStay", "C:/Apps\\\\Vesk/Vesk.dvb", "C:/Apps\\\\Vesk/Vesk.dvb"},
        PathCase{"OtherFilesAndFoldersStay", "C:/Apps/Vesk/MyVesk.dvb C:/Apps/Vesk2/Vesk.dvb (strcat dir \"Vesk.dvb\")",
                 "C:/Apps/Vesk/MyVesk.dvb C:/Apps/Vesk2/Vesk.dvb (strcat dir \"Vesk.dvb\")"},
        PathCase{"EveryOccurrenceOnce", "C:/Apps/Vesk/Vesk.dvbC:/Apps/Vesk/Vesk.dvb", "D:/Tools/Vesk/Vesk.dvbD:/Tools/Vesk/Vesk.dvb"},
        PathCase{"BytesAroundKept", "\xC4\xE9\r\nC:/Apps/Vesk/Vesk.dvb\r\n\xFF\x01\r", "\xC4\xE9\r\nD:/Tools/Vesk/Vesk.dvb\r\n\xFF\x01\r"},
        PathCase{"Absent", "nothing here", "nothing here"},
        PathCase{"EmptyText", "", ""}),
    [](const auto& info) { return info.param.name; });

// A match starts on a letter: in 932, 83 43 is one letter whose second byte is the
// code of "C", and ソ (83 5C) before a name is no separator and no escape.
struct CodePageCase {
  const char* name;
  unsigned codePage;
  bool firstRun;  // the whole-name rule instead of the old path
  std::string text, expected;
};

class CodePageCases : public testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageCases, MatchesStartOnLetters) {
  const CodePageCase& c = GetParam();
  EXPECT_EQ(c.firstRun ? ReplaceFileName(c.text, "Vesk.dvb", "D:/T/Vesk.dvb", c.codePage)
                       : ReplacePath(c.text, "C:\\Apps\\Vesk\\Vesk.dvb", "D:\\T\\Vesk.dvb", c.codePage),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, CodePageCases,
    testing::Values(
        CodePageCase{"SecondByteIsNoDrive", 932, false, "x\x83" "C:/Apps/Vesk/Vesk.dvb", "x\x83" "C:/Apps/Vesk/Vesk.dvb"},
        CodePageCase{"WesternBytesAreLetters", 1252, false, "x\x83" "C:/Apps/Vesk/Vesk.dvb", "x\x83" "D:/T/Vesk.dvb"},
        CodePageCase{"PairedLeadBytes", 936, false, "\x81\x81" "C:/Apps/Vesk/Vesk.dvb", "\x81\x81" "D:/T/Vesk.dvb"},
        CodePageCase{"SecondByteIsNoSeparator", 932, true, "(load \"\x83\x5CVesk.dvb\")", "(load \"\x83\x5CVesk.dvb\")"},
        CodePageCase{"SecondByteIsNoEscape", 932, true, "(princ \"\x83\x5C\") x/Vesk.dvb", "(princ \"\x83\x5C\") D:/T/Vesk.dvb"},
        CodePageCase{"EscapedTwoByteLetter", 932, true, "(princ \"\\\x81\x81\\\"\") x/Vesk.dvb",
                     "(princ \"\\\x81\x81\\\"\") D:/T/Vesk.dvb"},
        CodePageCase{"BigFiveSeparatorAfterLetter", 950, true, "\"C:/\xA5\x5C/Vesk.dvb\"", "\"D:/T/Vesk.dvb\""},
        CodePageCase{"SecondByteEndsNoComment", 932, true, ";| \x83|; |; (strcat d \"Vesk.dvb\")",
                     ";| \x83|; |; (strcat d \"Vesk.dvb\")"}),
    [](const auto& info) { return info.param.name; });

struct FileNameCase {
  const char* name;
  std::string text, expected;
};

class FileNameCases : public testing::TestWithParam<FileNameCase> {};

TEST_P(FileNameCases, ReplacesWholeNamesWithTheirPaths) {
  EXPECT_EQ(ReplaceFileName(GetParam().text, "Vesk.dvb", "D:/Tools/Vesk/Vesk.dvb", 1252), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, FileNameCases,
    testing::Values(
        FileNameCase{"QuotedPath", "(vl-vbaload \"C:/Apps/Vesk/Vesk.dvb\")", "(vl-vbaload \"D:/Tools/Vesk/Vesk.dvb\")"},
        FileNameCase{"QuotedPathWithBlanks", "(command \"_-vbaload\" \"C:/Program Files/Vesk/Vesk.dvb\")",
                     "(command \"_-vbaload\" \"D:/Tools/Vesk/Vesk.dvb\")"},
        FileNameCase{"BackslashPath", "\"C:\\\\Apps\\\\Vesk.dvb\"", "\"D:/Tools/Vesk/Vesk.dvb\""},
        FileNameCase{"EscapedQuoteStaysInString", "(princ \"say \\\"hi\\\"\") \"C:/a b/Vesk.dvb\"",
                     "(princ \"say \\\"hi\\\"\") \"D:/Tools/Vesk/Vesk.dvb\""},
        FileNameCase{"BareQuotedName", "(load \"Vesk.dvb\")", "(load \"D:/Tools/Vesk/Vesk.dvb\")"},
        FileNameCase{"BareNameAtEdges", "Vesk.dvb", "D:/Tools/Vesk/Vesk.dvb"},
        FileNameCase{"UnquotedPathToLineStart", "x\r\nC:/Apps/Vesk.dvb\r\n", "x\r\nD:/Tools/Vesk/Vesk.dvb\r\n"},
        FileNameCase{"UnquotedPathToBlank", "; was C:/Apps/Vesk.dvb before", "; was D:/Tools/Vesk/Vesk.dvb before"},
        FileNameCase{"NotInsideLongerName", "\"C:/A/MyVesk.dvb\" \"C:/A/VESK.DVB2\" vesk.dvb.bak",
                     "\"C:/A/MyVesk.dvb\" \"C:/A/VESK.DVB2\" vesk.dvb.bak"},
        // Loaders as people write them: any letter case, a macro after "!", a path
        // quoted inside a string.
        FileNameCase{"LowerCaseName", "(vl-vbaload \"vesk.dvb\")", "(vl-vbaload \"D:/Tools/Vesk/Vesk.dvb\")"},
        FileNameCase{"UpperCasePath", "(vl-vbaload \"C:/OLD/VESK.DVB\")", "(vl-vbaload \"D:/Tools/Vesk/Vesk.dvb\")"},
        FileNameCase{"MacroAfterThePath", "(vl-vbarun \"C:/Apps/Vesk/Vesk.dvb!Main.Start\")",
                     "(vl-vbarun \"D:/Tools/Vesk/Vesk.dvb!Main.Start\")"},
        FileNameCase{"MacroAfterABackslashPath", "(vl-vbarun \"C:\\\\Apps\\\\vesk.dvb!Points.Import\")",
                     "(vl-vbarun \"D:/Tools/Vesk/Vesk.dvb!Points.Import\")"},
        FileNameCase{"MacroAfterABareName", "(vla-runmacro (vlax-get-acad-object) \"Vesk.dvb!Points.Import\")",
                     "(vla-runmacro (vlax-get-acad-object) \"D:/Tools/Vesk/Vesk.dvb!Points.Import\")"},
        FileNameCase{"PathQuotedInAString", "(princ \"\\nLoad \\\"C:/Old/Vesk.dvb\\\" first.\")",
                     "(princ \"\\nLoad \\\"D:/Tools/Vesk/Vesk.dvb\\\" first.\")"},
        FileNameCase{"QuotedPartWithoutPrefix", "(princ \"Load \\\"Apps/Vesk.dvb\\\"\")",
                     "(princ \"Load \\\"D:/Tools/Vesk/Vesk.dvb\\\"\")"},
        FileNameCase{"NotAFolderName", "\"C:/Vesk.dvb/x.dvb\"", "\"C:/Vesk.dvb/x.dvb\""},
        FileNameCase{"TwoOnOneLine", "(a \"C:/x/Vesk.dvb\" \"E:/y/Vesk.dvb\")",
                     "(a \"D:/Tools/Vesk/Vesk.dvb\" \"D:/Tools/Vesk/Vesk.dvb\")"},
        FileNameCase{"StrayQuoteOnlyConfusesItsLine", "; it\"s\r\n(load \"C:/x/Vesk.dvb\")",
                     "; it\"s\r\n(load \"D:/Tools/Vesk/Vesk.dvb\")"},
        // Inside a string the path starts at its last drive or network prefix, so the
        // string's other text and other paths stay; without one, at the string's start.
        FileNameCase{"TextBeforeThePathStays", "(princ \"Loaded from C:/Apps/Vesk/Vesk.dvb\")",
                     "(princ \"Loaded from D:/Tools/Vesk/Vesk.dvb\")"},
        FileNameCase{"OtherPathsOfAListStay", "\"C:/x/Other.dvb;C:/x/Vesk.dvb\"",
                     "\"C:/x/Other.dvb;D:/Tools/Vesk/Vesk.dvb\""},
        FileNameCase{"NetworkPaths", "(a \"at \\\\\\\\srv\\\\v\\\\Vesk.dvb\" \"at //srv/C:/Vesk.dvb\")",
                     "(a \"at D:/Tools/Vesk/Vesk.dvb\" \"at D:/Tools/Vesk/Vesk.dvb\")"},
        FileNameCase{"NoPrefixFromTheStringStart", "\"see Apps/Vesk.dvb\"", "\"D:/Tools/Vesk/Vesk.dvb\""},
        FileNameCase{"BytesAbove127AndCrLfKept", "\xE9\r\n\"C:/\xC4/Vesk.dvb\"\r\n\xFF",
                     "\xE9\r\n\"D:/Tools/Vesk/Vesk.dvb\"\r\n\xFF"},
        FileNameCase{"FullStopMakesALongerName", "; PlotDwgs.lsp and Vesk.dvb.", "; PlotDwgs.lsp and Vesk.dvb."},
        // Pieces that the file joins to a folder when AutoCAD loads it stay; a whole
        // path is replaced wherever it stands.
        FileNameCase{"PiecesJoinedAtLoadStay",
                     "(strcat dir \"/Vesk.dvb\") (STRCAT (prefix) \"vesk/Vesk.dvb!Main.Start\") (StrCat r \"\\\\\" \"Vesk.dvb\")",
                     "(strcat dir \"/Vesk.dvb\") (STRCAT (prefix) \"vesk/Vesk.dvb!Main.Start\") (StrCat r \"\\\\\" \"Vesk.dvb\")"},
        FileNameCase{"WholePathOrFirstPieceInStrcat", "(strcat dir \"C:/Old/Vesk.dvb\") (strcat \"vesk.dvb\" \"!Main\")",
                     "(strcat dir \"D:/Tools/Vesk/Vesk.dvb\") (strcat \"D:/Tools/Vesk/Vesk.dvb\" \"!Main\")"},
        FileNameCase{"SetqJoinedLaterStays", "(setq dvb-name \"Vesk.dvb\")\r\n(load (strcat dir \"/\" DVB-Name))",
                     "(setq dvb-name \"Vesk.dvb\")\r\n(load (strcat dir \"/\" DVB-Name))"},
        FileNameCase{"SetqNotJoinedLaterOrOfAWholePath",
                     "(strcat d a) (setq a \"Vesk.dvb\" b \"Vesk.dvb\" c \"C:/x/Vesk.dvb\") (strcat b d) (strcat d c)",
                     "(strcat d a) (setq a \"D:/Tools/Vesk/Vesk.dvb\" b \"D:/Tools/Vesk/Vesk.dvb\" c \"D:/Tools/Vesk/Vesk.dvb\") "
                     "(strcat b d) (strcat d c)"},
        FileNameCase{"CommentsAndStringsHoldNoCode",
                     "(strcat ;| d |; ; d\r\n \"Vesk.dvb\" \")(\" \"Vesk.dvb\") ; (strcat d \"Vesk.dvb\")",
                     "(strcat ;| d |; ; d\r\n \"D:/Tools/Vesk/Vesk.dvb\" \")(\" \"Vesk.dvb\") ; (strcat d \"D:/Tools/Vesk/Vesk.dvb\")"}),
    [](const auto& info) { return info.param.name; });

// ReplaceTextInFile on real files.
struct InFile : testing::Test {
  TempDir dir;
  std::string lsp = dir.file("Vesk.lsp");
  std::string temp = lsp + "_TEMP";
  ScriptedDesktop desktop{"unused"};
  const std::string oldText = "(vl-vbaload \"C:/Apps/Vesk/Vesk.dvb\")\r\n";
  const std::string newText = "(vl-vbaload \"D:/Tools/Vesk/Vesk.dvb\")\r\n";
  ReplaceOutcome Replace() { return ReplaceTextInFile(desktop.platform, lsp, "C:\\Apps\\Vesk\\Vesk.dvb", "D:\\Tools\\Vesk\\Vesk.dvb"); }
};

TEST_F(InFile, FileWithoutTheTextOrEmptyIsLeftAsItWas) {
  for (const std::string content : {"C:\\Apps\\Vesk\\Vesk.dvb\r\n", ""}) {
    WriteBytes(lsp, content);
    std::filesystem::last_write_time(lsp, std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
    const auto before = std::filesystem::last_write_time(lsp);
    EXPECT_EQ(Replace(), ReplaceOutcome::NothingFound);
    EXPECT_EQ(ReadBytes(lsp), content);
    EXPECT_EQ(std::filesystem::last_write_time(lsp), before) << "not rewritten";
    EXPECT_FALSE(Exists(temp));
  }
}

TEST_F(InFile, HiddenSystemFileOrFolderCountsAsMissing) {
  WriteBytes(lsp, oldText);
  for (FileKind kind : {FileKind::HiddenOrSystem, FileKind::Directory}) {
    desktop.platform.files.probe = [kind](const std::string&) { return kind; };
    EXPECT_EQ(Replace(), ReplaceOutcome::FileMissing);
  }
  EXPECT_TRUE(desktop.boxes.empty()) << "the run tells the user";
  EXPECT_EQ(ReadBytes(lsp), oldText);
}

TEST_F(InFile, RewritesThroughTheTemporaryFileAndALongerLeftoverLeavesNoTrailingBytes) {
  WriteBytes(lsp, oldText);
  WriteBytes(temp, std::string(4096, 'x'));
  EXPECT_EQ(Replace(), ReplaceOutcome::Replaced);
  EXPECT_EQ(ReadBytes(lsp), newText);
  EXPECT_FALSE(Exists(temp));
  EXPECT_TRUE(desktop.boxes.empty());
}

// Each file step in turn fails; the file then holds its old content and no
// temporary file is left. After the last step it holds the new content.
TEST_F(InFile, FailureAtEachStepKeepsEitherOldOrNewContent) {
  enum Step { Probe, Read, WriteHalf, Flush, Move, AfterMove, Steps };
  for (int step = Probe; step < Steps; ++step) {
    SCOPED_TRACE(step);
    WriteBytes(lsp, oldText);
    FileOps& files = desktop.platform.files;
    const FileOps real = files = WindowsPathFiles();
    auto fail = [] { ThrowSystemError(112); };  // a lasting failure, not retried
    if (step == Probe) files.probe = [&](const std::string&) -> FileKind { fail(); return FileKind::Missing; };
    if (step == Read) files.readAll = [&](const std::string&) -> std::string { fail(); return ""; };
    if (step == WriteHalf || step == Flush)
      files.writeNew = [&, step](const std::string& path, std::string_view bytes, const std::string& like) {
        real.writeNew(path, step == WriteHalf ? bytes.substr(0, bytes.size() / 2) : bytes, like);
        fail();
      };
    if (step == Move || step == AfterMove)
      files.moveReplace = [&, step](const std::string& from, const std::string& to) {
        if (step == AfterMove) real.moveReplace(from, to);
        fail();
      };
    try {
      Replace();
      ADD_FAILURE() << "the failure must reach the caller";
    } catch (const SystemError& e) {
      EXPECT_EQ(e.number, 112u);
    }
    EXPECT_EQ(ReadBytes(lsp), step == AfterMove ? newText : oldText);
    EXPECT_FALSE(Exists(temp));
  }
}

TEST(Encoding, Utf8NeedsAMultiByteSequenceAndStrictForms) {
  EXPECT_TRUE(IsUtf8WithMultiByte("(load \"C:/Έργα/Vesk.dvb\")"));
  EXPECT_TRUE(IsUtf8WithMultiByte("M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsUtf8WithMultiByte("plain ASCII\r\n")) << "ASCII reads the same either way: handled as today";
  EXPECT_FALSE(IsUtf8WithMultiByte("C:/\xB8\xF1\xE3\xE1/Vesk.dvb")) << "Greek in code page 1253";
  EXPECT_FALSE(IsUtf8WithMultiByte("M\xFCller")) << "Western code page";
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ok \xC3", "\xE2\x82"})
    EXPECT_FALSE(IsUtf8WithMultiByte(std::string("\xC3\xBC") + bad)) << "overlong, surrogate, beyond U+10FFFF or cut short";
  // Long ASCII runs around the letter, as in a real file.
  const std::string run(21, 'a');
  EXPECT_TRUE(IsUtf8WithMultiByte(run + "\xC3\xA4" + run));
  EXPECT_FALSE(IsUtf8WithMultiByte(run + "\xC3\xA4" + run + "\xE4" + run));
}

// A Greek system (code page 1253): a folder with Greek letters moved to another.
// A .lsp in UTF-8, with or without the mark, is searched and written in UTF-8; one
// in code page 1253 as before.
TEST_F(InFile, KeepsTheFilesOwnEncoding) {
  desktop.platform.ansiToUtf8 = Cp1253ToUtf8;
  const std::string oldAnsi = "C:/\xB8\xF1\xE3\xE1/Vesk/Vesk.dvb", newAnsi = "D:/\xCD\xDD\xE1/Vesk/Vesk.dvb";
  const auto backslashed = [](std::string p) {
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
  };
  const std::string oldUtf8 = "C:/Έργα/Vesk/Vesk.dvb", newUtf8 = "D:/Νέα/Vesk/Vesk.dvb";
  auto lspText = [](const std::string& path, const std::string& comment) {
    return ";; " + comment + "\r\n(vl-vbaload \"" + path + "\")\r\n";
  };
  const std::string mark = "\xEF\xBB\xBF";
  const struct {
    const char* name;
    std::string before, after;
  } cases[] = {
      {"UTF-8 with the mark", mark + lspText(oldUtf8, "Έργα"), mark + lspText(newUtf8, "Έργα")},
      {"UTF-8 without the mark", lspText(oldUtf8, "Έργα"), lspText(newUtf8, "Έργα")},
      {"ASCII only, with the mark", mark + lspText("C:/x/Vesk.dvb", "x"), mark + lspText(newUtf8, "x")},
      {"code page 1253", lspText(oldAnsi, "\xB8\xF1\xE3\xE1"), lspText(newAnsi, "\xB8\xF1\xE3\xE1")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(lsp, c.before);
    const bool ascii = c.before.find("C:/x/") != std::string::npos;
    EXPECT_EQ(ReplaceTextInFile(desktop.platform, lsp, backslashed(ascii ? "C:/x/Vesk.dvb" : oldAnsi), backslashed(newAnsi)),
              ReplaceOutcome::Replaced);
    EXPECT_EQ(ReadBytes(lsp), c.after);
  }
  // The first-run rule: the bare name, here right after the mark, stands for its whole path.
  WriteBytes(lsp, mark + "Vesk.dvb\r\n\"C:/Έργα/Vesk.dvb\"");
  EXPECT_EQ(ReplaceFileNameInFile(desktop.platform, lsp, "Vesk.dvb", newAnsi), ReplaceOutcome::Replaced);
  EXPECT_EQ(ReadBytes(lsp), mark + newUtf8 + "\r\n\"" + newUtf8 + "\"");
}

#ifdef _WIN32
TEST(WindowsFiles, HiddenFileCountsAsMissing) {
  TempDir dir;
  ScriptedDesktop desktop{"unused"};
  const std::string lsp = dir.file("Vesk.lsp");
  WriteBytes(lsp, "C:/a/Vesk.dvb");
  ASSERT_TRUE(SetFileAttributesA(lsp.c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(ReplaceTextInFile(desktop.platform, lsp, "C:\\a\\Vesk.dvb", "D:\\b\\Vesk.dvb"), ReplaceOutcome::FileMissing);
  EXPECT_TRUE(desktop.boxes.empty()) << "the run tells the user";
  SetFileAttributesA(lsp.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(lsp), "C:/a/Vesk.dvb");
}
#endif

}  // namespace
