#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "../common/temp_dir.h"
#include "error.h"
#include "fileio.h"
#include "fileio_system.h"
#include "ini.h"

#ifdef _WIN32
#include <windows.h>

#include "scoped_win.h"
#endif

namespace {

// The error of a file another process holds open for a moment.
#ifdef _WIN32
constexpr unsigned long busy = ERROR_SHARING_VIOLATION;
#else
constexpr unsigned long busy = EBUSY;
#endif

TEST(ReadIniValue, MissingFileIsCreatedEmptyAndReadsEmpty) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  EXPECT_EQ(ReadIniValue(ini, "Palette", "startX"), "");
  ASSERT_TRUE(Exists(ini));
  EXPECT_EQ(ReadBytes(ini), "");
}

struct ReadCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  std::string expected;
};

class ReadCases : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadCases, FindsTheValue) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  WriteBytes(ini, GetParam().content);
  EXPECT_EQ(ReadIniValue(ini, GetParam().section, GetParam().key), GetParam().expected);
  EXPECT_EQ(ReadBytes(ini), GetParam().content) << "reading never changes the content";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ReadCases,
    testing::Values(
        ReadCase{"CapitalsMatch", "[PALETTE]\r\nSTARTX=12\r\n", "Palette", "startX", "12"},
        ReadCase{"EmptyValue", "[Palette]\r\nstartX=\r\n", "Palette", "startX", ""},
        ReadCase{"KeyMustBeFollowedByEquals", "[Palette]\r\nstartX=5\r\n", "Palette", "start", ""},
        ReadCase{"BlankBeforeKey", "[Palette]\r\n startX=5\r\n", "Palette", "startX", ""},
        ReadCase{"BlanksAroundEquals", "[Palette]\r\nstartX = 5\r\n", "Palette", "startX", ""},
        ReadCase{"BlankAfterHeaderIsNoHeader", "[Palette] \r\nstartX=5\r\n", "Palette", "startX", ""},
        ReadCase{"ValueKeptVerbatim", "[Palette]\r\nstartX= a=B \r\n", "Palette", "startX", " a=B "},
        ReadCase{"LinesBeforeFirstHeaderBelongNowhere", "startX=1\r\n[Palette]\r\n", "Palette", "startX", ""},
        ReadCase{"OtherSectionNotSearched", "[Other]\r\nstartX=1\r\n[Palette]\r\nstartY=2\r\n", "Palette", "startX", ""},
        ReadCase{"FirstValueAcrossRepeatedSections", "[Palette]\r\na=1\r\n[x]\r\nstartX=9\r\n[palette]\r\nstartX=7\r\nstartX=8\r\n",
                 "Palette", "startX", "7"},
        ReadCase{"BracketValueEndsSection", "[Palette]\r\nstartY=[1\r\nstartX=5\r\n", "Palette", "startX", ""},
        ReadCase{"LoneLfLineEnds", "[Palette]\nstartY=1\nstartX=5\n", "Palette", "startX", "5"},
        ReadCase{"LoneCrLineEnds", "[Palette]\rstartY=1\rstartX=5\r", "Palette", "startX", "5"},
        ReadCase{"LastLineWithoutLineEnd", "[Palette]\r\nstartX=-45", "Palette", "startX", "-45"},
        ReadCase{"BytesAbove127", "[Vesk]\r\nSoftwarePath=C:\\\xC4\xE9\xF6\\\r\n", "Vesk", "SoftwarePath", "C:\\\xC4\xE9\xF6\\"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

struct WriteCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};

class WriteCases : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteCases, GivesTheExpectedFile) {
  const WriteCase& c = GetParam();
  EXPECT_EQ(IniTextWithValue(c.before, c.section, c.key, c.value), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, WriteCases,
    testing::Values(
        WriteCase{"EmptyFile", "", "Vesk", "SoftwarePath", "D:\\Tools\\Vesk\\", "[Vesk]\r\nSoftwarePath=D:\\Tools\\Vesk\\\r\n"},
        WriteCase{"ReplaceKeepsHeaderCaseTakesCallersKeyCase", "[PALETTE]\r\nSTARTX=12\r\nstartY=3\r\n", "Palette", "startX", "5",
                  "[PALETTE]\r\nstartX=5\r\nstartY=3\r\n"},
        WriteCase{"NewKeyGoesFirstInSection", "[Palette]\r\nstartY=3\r\n[Other]\r\nx=1\r\n", "Palette", "startX", "5",
                  "[Palette]\r\nstartX=5\r\nstartY=3\r\n[Other]\r\nx=1\r\n"},
        WriteCase{"NewSectionAtEndAfterOneEmptyLine", "[Other]\r\nx=1\r\n", "Palette", "startX", "5",
                  "[Other]\r\nx=1\r\n\r\n[Palette]\r\nstartX=5\r\n"},
        WriteCase{"KeyOfLaterSectionIsNotTouched", "[Palette]\r\na=1\r\n[Other]\r\nstartX=1\r\n", "Palette", "startX", "5",
                  "[Palette]\r\nstartX=5\r\na=1\r\n[Other]\r\nstartX=1\r\n"},
        WriteCase{"OddLineLeftWhereItWas", "[Palette]\r\n startX=1\r\n", "Palette", "startX", "5",
                  "[Palette]\r\nstartX=5\r\n startX=1\r\n"},
        WriteCase{"BlankAfterHeaderAppendsSecondSection", "[Palette] \r\nstartX=1\r\n", "Palette", "startX", "5",
                  "[Palette] \r\nstartX=1\r\n\r\n[Palette]\r\nstartX=5\r\n"},
        WriteCase{"HeaderOnLastLineWithoutLineEnd", "[Palette]", "Palette", "startX", "5",
                  "[Palette]\r\n\r\n[Palette]\r\nstartX=5\r\n"},
        WriteCase{"OnlyFirstOfRepeatedSections", "[Palette]\r\na=1\r\n[Palette]\r\nstartX=1\r\n", "Palette", "startX", "5",
                  "[Palette]\r\nstartX=5\r\na=1\r\n[Palette]\r\nstartX=1\r\n"},
        WriteCase{"ValueWithBracketHidesLaterKeys", "[Palette]\r\nstartY=[1\r\nstartX=2\r\n", "Palette", "startX", "5",
                  "[Palette]\r\nstartX=5\r\nstartY=[1\r\nstartX=2\r\n"},
        WriteCase{"TidiesEmptyLinesEverywhere", "\r\n\r\n;c\r\n\r\n\r\n\r\n[Palette]\r\nstartX=1\r\n\r\n\r\n", "Palette", "startX", "2",
                  ";c\r\n\r\n[Palette]\r\nstartX=2\r\n"},
        WriteCase{"LowControlCharsTrimmedAtEnds", "\x01\t\r\n[Palette]\r\nstartX=1\t\x02", "Palette", "startY", "2",
                  "[Palette]\r\nstartY=2\r\nstartX=1\r\n"},
        WriteCase{"ControlCharsBeforeFirstHeader", "\t\x01[Palette]\r\nstartX=1\r\n", "Palette", "startX", "5",
                  "[Palette]\r\nstartX=5\r\n"},
        WriteCase{"ValueBlanksAndEqualsKept", "", "Palette", "k", " a = b ", "[Palette]\r\nk= a = b \r\n"},
        WriteCase{"LastLineKeyWithoutLineEndReplacedToTheEnd", "[Palette]\r\nstartY=1\r\nstartX=123456", "Palette", "startX", "5",
                  "[Palette]\r\nstartY=1\r\nstartX=5\r\n"},
        WriteCase{"LoneLfFileGetsCrLfAndNoSecondSection", "[Palette]\nstartX=1\nstartY=2\n", "Palette", "startX", "5",
                  "[Palette]\r\nstartX=5\r\nstartY=2\r\n"},
        WriteCase{"LoneLfHeaderLastLine", "x=1\n[Palette]\n", "Palette", "startY", "7", "x=1\r\n[Palette]\r\nstartY=7\r\n"},
        WriteCase{"LoneCrFile", "[Palette]\rstartX=1\r\rstartY=2", "Palette", "startY", "5",
                  "[Palette]\r\nstartX=1\r\n\r\nstartY=5\r\n"},
        WriteCase{"HeaderOnFirstLineFound", "[palette]\r\n", "PALETTE", "formNumber", "2", "[palette]\r\nformNumber=2\r\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

// In a double-byte code page a letter's second byte may be the code of "[" (ー is
// 81 5B) or of an ASCII capital (ア is 83 41): a folder holding them is written
// and read back, and ア is not ダ (83 61) in another letter case. In 1252 the same
// bytes are two letters, so "[" ends the section and 41 lowers.
struct CodePageCase {
  const char* name;
  unsigned codePage;
  std::string value, section, otherSection;  // otherSection must not match section
  bool readsBack;
};

class CodePageCases : public testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageCases, WrittenValueReadsBackLetterByLetter) {
  const CodePageCase& c = GetParam();
  std::string text = "[" + c.otherSection + "]\r\nSoftwarePath=other\r\n";
  text = IniTextWithValue(text, c.section, "SoftwarePath", "C:\\old\\", c.codePage);
  text = IniTextWithValue(text, c.section, "SoftwarePath", c.value, c.codePage);
  EXPECT_EQ(IniValueFromText(text, c.section, "SoftwarePath", c.codePage), c.readsBack ? c.value : "") << text;
  EXPECT_EQ(IniValueFromText(text, c.otherSection, "SoftwarePath", c.codePage), "other");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, CodePageCases,
    testing::Values(
        CodePageCase{"Japanese", 932, "C:\\\x83\x66\x81\x5B\x83\x5E\\\x83\x5C\\", "\x83\x41", "\x83\x61", true},
        CodePageCase{"SimplifiedChinese", 936, "C:\\\x81\x5B\\", "\x81\x41", "\x81\x61", true},
        CodePageCase{"Korean", 949, "C:\\\x81\x5B\\", "\xB0\x41", "\xB0\x61", true},
        CodePageCase{"TraditionalChinese", 950, "C:\\\xA5\x5B\\", "\xA5\x41", "\xA5\x61", true},
        CodePageCase{"WesternBracketEndsTheSection", 1252, "C:\\\x81\x5B\\", "Vesk", "Other", false},
        CodePageCase{"Utf8", kCodePageUtf8, "C:\\\xE3\x83\xBC\\", "\xE3\x83\xBC", "\xE3\x83\xBD", true}),
    [](const auto& info) { return info.param.name; });

TEST(WriteIniValue, FilesBeyondSixteenBitPositionsAreWritten) {
  for (size_t size : {40u * 1024, 5u * 1024 * 1024}) {
    TempDir dir;
    const std::string ini = dir.file("big.ini");
    std::string content = "[Palette]\r\nstartX=1\r\n[Filler]\r\n";
    while (content.size() < size) content += "line=" + std::to_string(content.size()) + "\r\n";
    content += "[Last]\r\nkey=old\r\n";
    WriteBytes(ini, content);

    WriteIniValue(ini, "Last", "key", "new");
    WriteIniValue(ini, "Palette", "startX", "2");
    WriteIniValue(ini, "End", "k", "v");

    std::string expected = content;
    expected.replace(expected.find("key=old"), 7, "key=new");
    expected.replace(expected.find("startX=1"), 8, "startX=2");
    expected += "\r\n[End]\r\nk=v\r\n";
    EXPECT_EQ(ReadBytes(ini), expected) << size;
    EXPECT_EQ(ReadIniValue(ini, "Last", "key"), "new");
  }
}

// Several keys in one rewrite leave exactly the file that one write per key, in
// the same order, leaves: new keys still go first in the section one by one.
TEST(WriteIniValues, LeavesTheFileThatOneWritePerKeyLeaves) {
  const IniPairs pairs{{"formNumber", "3"}, {"startX", "-450"}, {"startY", "300"}};
  const std::optional<std::string> befores[] = {
      std::nullopt,  // no file yet
      "",
      "[Other]\r\nx=1\r\n",
      "[PALETTE]\r\nSTARTY=1\r\n;note\r\n",
      "[Palette]\r\nstartX=1\r\nformNumber=2\r\nstartY=3\r\n[Next]\r\nstartX=9\r\n",
      "\r\n\r\n[Palette]\nformNumber=1\n\n\n\n[x]\r\na=[\r\n",
      "[Palette]\r\nstartY=[1\r\nstartX=2",
      "[Palette]",
  };
  for (const auto& before : befores) {
    SCOPED_TRACE(before ? testing::PrintToString(*before) : "no file");
    TempDir dir;
    const std::string single = dir.file("single.ini"), together = dir.file("together.ini");
    if (before) WriteBytes(single, *before), WriteBytes(together, *before);
    for (const auto& [key, value] : pairs) WriteIniValue(single, "Palette", key, value);

    FileOps files = RealFiles();
    int locks = 0, moves = 0;
    files.lockForWrite = [&](const std::string& path) { return ++locks, RealFiles().lockForWrite(path); };
    files.moveReplace = [&](const std::string& from, const std::string& to) {
      ++moves;
      RealFiles().moveReplace(from, to);
    };
    WriteIniValues(together, "Palette", pairs, files);
    EXPECT_EQ(ReadBytes(together), ReadBytes(single));
    EXPECT_EQ(locks, 1);
    EXPECT_EQ(moves, 1) << "one rewrite";
  }
}

TEST(WriteIniValue, ReadOnlyFileBecomesPlainAndIsWritten) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  WriteBytes(ini, "[Palette]\r\nstartX=1\r\n");
  std::filesystem::permissions(ini, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  EXPECT_EQ(ReadIniValue(ini, "Palette", "startX"), "1");
  WriteIniValue(ini, "Palette", "startX", "2");
  EXPECT_EQ(ReadBytes(ini), "[Palette]\r\nstartX=2\r\n");
}

TEST(WriteIniValue, MissingFolderReachesTheCaller) {
  TempDir dir;
  const std::string ini = dir.file("no-such-folder/Vesk.ini");
  EXPECT_THROW(WriteIniValue(ini, "Palette", "startX", "1"), SystemError);
  EXPECT_THROW(ReadIniValue(ini, "Palette", "startX"), SystemError);
}

// A failing write step leaves the old content and no temporary file behind.
TEST(WriteIniValue, FailedWriteKeepsTheOldFile) {
  const std::string old = "[Palette]\r\nstartX=1\r\n";
  for (int step = 0; step < 2; ++step) {
    TempDir dir;
    const std::string ini = dir.file("Vesk.ini");
    WriteBytes(ini, old);
    FileOps files = RealFiles();
    if (step == 0) {  // the disk fills up half-way through the temporary file
      files.writeNew = [](const std::string& path, std::string_view bytes, const std::string& like) {
        RealFiles().writeNew(path, bytes.substr(0, bytes.size() / 2), like);
        ThrowSystemError(112);
      };
    } else {  // the replace is refused
      files.moveReplace = [](const std::string&, const std::string&) { ThrowSystemError(17); };
    }
    try {
      WriteIniValue(ini, "Palette", "startX", "2", files);
      ADD_FAILURE() << "the error must reach the caller";
    } catch (const SystemError& e) {
      EXPECT_EQ(e.number, step == 0 ? 112u : 17u);
    }
    EXPECT_EQ(ReadBytes(ini), old);
    EXPECT_FALSE(Exists(TempPathFor(ini)));
  }
}

// A replace that another process blocks for a moment is retried until it goes
// through or the time is up; a read-only target is refused at once.
TEST(ReplaceFileContent, RetriesOnlyMomentaryFailures) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  FileOps files = RealFiles();
  int moves = 0, busyMoves = 3;
  files.moveReplace = [&](const std::string& from, const std::string& to) {
    ++moves;
    if (busyMoves-- > 0) ThrowSystemError(busy);
    RealFiles().moveReplace(from, to);
  };
  WriteIniValue(ini, "Palette", "startX", "1", files);
  EXPECT_EQ(moves, 4);
  const std::string old = "[Palette]\r\nstartX=1\r\n";
  EXPECT_EQ(ReadBytes(ini), old);
  EXPECT_FALSE(Exists(TempPathFor(ini)));

  moves = 0, busyMoves = 1 << 30;
  try {
    WriteIniValue(ini, "Palette", "startX", "2", files);
    ADD_FAILURE() << "still busy when the time is up: the error must reach the caller";
  } catch (const SystemError& e) {
    EXPECT_EQ(e.number, busy);
  }
  EXPECT_GT(moves, 1);
  EXPECT_EQ(ReadBytes(ini), old);
  EXPECT_FALSE(Exists(TempPathFor(ini)));

  moves = 0, busyMoves = 0;
  std::filesystem::permissions(ini, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  EXPECT_THROW(ReplaceFileContent(ini, "new", files), SystemError);
  EXPECT_EQ(moves, 1) << "a read-only target is not retried";
  EXPECT_EQ(ReadBytes(ini), old);
}

// A read that another process blocks for a moment (a scanner holding the file
// open) is retried as writes are; a lasting failure is not.
TEST(ReadIniValue, RetriesAMomentaryFailureToRead) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  WriteBytes(ini, "[Palette]\r\nstartX=1\r\n");
  for (const unsigned long failure : {busy, 112ul}) {
    FileOps files = RealFiles();
    int reads = 0, failing = 3;
    files.readAll = [&](const std::string& path) {
      ++reads;
      if (failing-- > 0) ThrowSystemError(failure);
      return RealFiles().readAll(path);
    };
    if (failure == busy) {
      EXPECT_EQ(ReadIniValue(ini, "Palette", "startX", files), "1");
      EXPECT_EQ(reads, 4);
    } else {
      EXPECT_THROW(ReadFileContent(ini, files), SystemError);
      EXPECT_EQ(reads, 1);
    }
  }
}

// Whatever bears the temporary name is removed first, a link without following
// it, so nothing is ever written through a planted link; the new file keeps the
// old one's permissions, not the folder's defaults.
TEST(ReplaceFileContent, TemporaryFileIsAlwaysNewAndKeepsThePermissions) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine cannot make links: e2e_pathmend_temp_file plants one";
#endif
  namespace fs = std::filesystem;
  TempDir dir;
  const std::string file = dir.file("Vesk.lsp"), victim = dir.file("victim"), temp = TempPathFor(file);
  const struct {
    const char* name;
    std::function<void()> plant;
  } cases[] = {
      {"link to another file", [&] { fs::create_symlink(victim, temp); }},
      {"link to nowhere", [&] { fs::create_symlink(dir.file("nowhere"), temp); }},
      {"longer read-only leftover", [&] {
         WriteBytes(temp, std::string(4096, 'x'));
         fs::permissions(temp, fs::perms::owner_read);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    WriteBytes(victim, "victim");
    c.plant();
    ReplaceFileContent(file, "new");
    EXPECT_EQ(ReadBytes(file), "new");
    EXPECT_EQ(ReadBytes(victim), "victim");
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  }
}

// A try that never holds waits between tries, Lost as Busy (a volume where the
// lock file never seems to keep its name would otherwise spin for ever), and
// gives up at its bound.
TEST(WriteLock, TriesThatNeverHoldGiveUpAtTheBound) {
  using namespace system_files;
  using namespace std::chrono_literals;
  TempDir dir;
  for (const LockTry answer : {LockTry::Lost, LockTry::Busy}) {
    int tries = 0;
    // Past 100000 tries it turns Busy, so that a loop without pauses ends too.
    const LockTryCall never = [&](const LockFileName&, FileLock&) { return ++tries < 100000 ? answer : LockTry::Busy; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(LockForWriteWith(dir.file("Vesk.ini"), never, 200ms), SystemError);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 5s);
    EXPECT_LT(tries, 100) << "pauses of 1, 2, 4 ... 20 ms between the tries";
  }
}

#ifdef _WIN32
TEST(Windows, HiddenSystemFileBecomesArchiveOnly) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  WriteBytes(ini, "[Palette]\r\nstartX=1\r\n");
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ReadIniValue(ini, "Palette", "startX"), "1");
  EXPECT_EQ(GetFileAttributesA(ini.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
}

// Access denied is waited out only on a file that exists (another process may
// be deleting it or hold it for a moment). On a missing one it means that the
// folder may not be written, which lasts: after one more try (the name may just
// have gone) the write fails.
TEST(Windows, AccessDeniedIsRetriedOnlyOnAFileThatExists) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  FileOps files = RealFiles();
  int writes = 0;
  files.writeNew = [&](const std::string&, std::string_view, const std::string&) {
    ++writes;
    ThrowSystemError(ERROR_ACCESS_DENIED);
  };
  EXPECT_THROW(WriteIniValue(ini, "Palette", "startX", "1", files), SystemError);
  EXPECT_EQ(writes, 2) << "the temporary file does not exist: tried once more (it may have been being deleted), then no retry";

  files = RealFiles();
  int moves = 0;
  files.moveReplace = [&](const std::string& from, const std::string& to) {
    if (++moves < 3) ThrowSystemError(ERROR_ACCESS_DENIED);
    RealFiles().moveReplace(from, to);
  };
  WriteIniValue(ini, "Palette", "startX", "1", files);
  EXPECT_EQ(moves, 3) << "the settings file exists: retried";
  EXPECT_EQ(ReadBytes(ini), "[Palette]\r\nstartX=1\r\n");
}

// A volume that gives no final paths (some NAS and WebDAV mounts, shared folders
// of virtual machines): a leftover at the temporary name, read-only and longer
// than the new file, is still removed as itself; a folder there is not, and the
// report names it. The file keeps its content then.
TEST(Windows, LeftoverGoesOnAVolumeWithoutFinalPaths) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini"), temp = TempPathFor(ini);
  FileOps files = RealFiles();
  files.removeName = [](const std::string& path) {
    system_files::RemoveNameWith(path, [](void*) { return std::wstring(); });
  };
  WriteBytes(temp, std::string(4096, 'x'));
  ASSERT_TRUE(SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_READONLY));
  WriteIniValue(ini, "Palette", "startX", "1", files);
  EXPECT_EQ(ReadBytes(ini), "[Palette]\r\nstartX=1\r\n");
  EXPECT_FALSE(Exists(temp));

  std::filesystem::create_directory(temp);
  try {
    WriteIniValue(ini, "Palette", "startX", "2", files);
    ADD_FAILURE() << "a folder at the temporary name must stop the write";
  } catch (const TempFileInTheWay&) {
    EXPECT_EQ(CurrentErrorReportText(), TempFileInTheWayText(temp, ini));
  }
  EXPECT_EQ(ReadBytes(ini), "[Palette]\r\nstartX=1\r\n");
  EXPECT_TRUE(std::filesystem::is_directory(temp));
}

// The write lock holds on every volume. A leftover lock file that may only be
// read serves (the lock needs read access only); where the volume has no byte-range
// locks, a mutex of this computer's stands in. Each time the write goes on, a
// second writer waits for the holder and fails once its wait is up, and a held
// lock file can be neither renamed away nor removed, so no later writer can lock
// another file under its name.
TEST(Windows, TheWriteLockHoldsOnEveryVolume) {
  using namespace system_files;
  using namespace std::chrono_literals;
  const struct {
    const char* name;
    bool readOnlyLeftover;
    ByteRangeLockCall lockRange;  // nullptr: the system's
  } cases[] = {
      {"a read-only leftover lock file", true, nullptr},
      {"byte-range locks not supported", false, [](void*) -> unsigned long { return ERROR_NOT_SUPPORTED; }},
      {"byte-range locks an invalid function", false, [](void*) -> unsigned long { return ERROR_INVALID_FUNCTION; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string ini = dir.file("Vesk.ini"), lockFile = ini + "_LOCK";
    ScopedKernelHandle reader;  // a program that reads it and lets others only read it too
    if (c.readOnlyLeftover) {
      WriteBytes(lockFile, "");
      ASSERT_TRUE(SetFileAttributesA(lockFile.c_str(), FILE_ATTRIBUTE_READONLY));
      reader = ScopedKernelHandle(
          CreateFileA(lockFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(reader);
    }
    FileOps files = RealFiles();
    const LockTryCall tryLock = c.lockRange ? LockTryCall([&](const LockFileName& name, FileLock& lock) {
      return TryLockWith(name, lock, c.lockRange);
    })
                                            : LockTryCall(TryLock);
    files.lockForWrite = [&](const std::string& path) { return LockForWriteWith(path, tryLock, 100ms); };
    WriteIniValue(ini, "Palette", "startX", "1", files);
    EXPECT_EQ(ReadBytes(ini), "[Palette]\r\nstartX=1\r\n");
    reader.reset();

    const FileLock held = files.lockForWrite(ini);
    bool second = false;
    std::thread([&] {
      try {
        const FileLock lock = files.lockForWrite(ini);
        second = true;
      } catch (const SystemError&) {
      }
    }).join();
    EXPECT_FALSE(second) << "a second writer waits for the holder";
    if (!c.lockRange) {
      EXPECT_FALSE(MoveFileExA(lockFile.c_str(), (lockFile + ".away").c_str(), 0));
      EXPECT_FALSE(DeleteFileA(lockFile.c_str()));
      EXPECT_TRUE(Exists(lockFile));
    }
  }
}

// The write lock belongs to the file, not to the spelling of its path. It is
// held here through the folder's short (8.3) name while the file is missing;
// once the file exists, writers that name it by its long name or by its own
// short name must wait (and, as the lock stays held, fail after the wait).
// Another file of the folder is not held up.
TEST(Windows, EverySpellingOfThePathSharesOneLock) {
  TempDir dir;
  const std::filesystem::path folder = dir.path / "Long Folder Name";
  std::filesystem::create_directory(folder);
  const std::string ini = (folder / "Long Settings Name.ini").string();
  char shortFolder[MAX_PATH];
  const DWORD n = GetShortPathNameA(folder.string().c_str(), shortFolder, MAX_PATH);
  ASSERT_TRUE(n > 0 && n < MAX_PATH);
  if (std::filesystem::path(shortFolder).filename() == folder.filename())
    GTEST_SKIP() << "this file system gives no short names";

  const FileLock held = RealFiles().lockForWrite(std::string(shortFolder) + "\\Long Settings Name.ini");
  WriteBytes(ini, "[Palette]\r\n");
  char shortIni[MAX_PATH];
  ASSERT_GT(GetShortPathNameA(ini.c_str(), shortIni, MAX_PATH), 0u);
  ASSERT_NE(std::filesystem::path(shortIni).filename(), std::filesystem::path(ini).filename());

  // Each spelling is tried on a thread of its own (the holder's thread could
  // take the mutex again); the waits run side by side.
  const std::vector<std::string> spellings{ini, shortIni, (folder / "Other.ini").string()};
  std::vector<int> taken(spellings.size(), -1);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < spellings.size(); ++i)
    threads.emplace_back([&, i] {
      try {
        const FileLock lock = RealFiles().lockForWrite(spellings[i]);
        taken[i] = 1;
      } catch (const SystemError&) {
        taken[i] = 0;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(taken, (std::vector<int>{0, 0, 1}));
}

TEST(Windows, CaseFollowsTheAnsiCodePage) {
  // In the Western code page 1252, 0xC4 ("A" with diaeresis) lowers to 0xE4.
  if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  WriteBytes(ini, "[\xC4rea]\r\nK\xC4Y=1\r\n");
  EXPECT_EQ(ReadIniValue(ini, "\xE4rea", "k\xE4y"), "1");
}

TEST(Windows, ProfileApiReadsWhatTheStoreWrote) {
  TempDir dir;
  const std::string ini = dir.file("Vesk.ini");
  const struct { const char* section; const char* key; const char* value; } entries[] = {
      {"Palette", "formNumber", "3"}, {"Palette", "startX", "-1500"}, {"Palette", "startY", "7200"},
      {"Vesk", "SoftwarePath", "D:\\Tools\\Vesk\\"}, {"Other", "a", "x = y"}};
  for (const auto& e : entries) WriteIniValue(ini, e.section, e.key, e.value);
  for (const auto& e : entries) {
    char buffer[256] = {};
    GetPrivateProfileStringA(e.section, e.key, "<none>", buffer, sizeof buffer, ini.c_str());
    EXPECT_STREQ(buffer, e.value) << e.section << "/" << e.key;
  }
}
#endif

}  // namespace
