#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "error.h"
#include "fake_files.h"
#include "twips.h"
#include "layouts.h"
#include "numbers.h"
#include "palette_settings.h"
#include "startup.h"
#include "state.h"

namespace {

struct Box {
  std::string text, title;
  unsigned style;
};

// A scripted platform for Main: what exists, and a record of what Main did.
struct FakePlatform {
  bool earlierInstance = false;
  bool acadRunning = true;
  bool attachWorks = true;
  bool windowWorks = true;
  bool folderSpellable = true;
  Elevation paletteElevation = Elevation::Normal, acadElevation = Elevation::Normal;
  std::string userFolder = "C:\\Users\\u\\AppData\\Local\\Vesk";
  ScreenTwips screen{19200, 15360};  // 1280 x 1024 pixels at 96 dpi
  std::vector<TwipArea> monitors{{0, 0, 19200, 15360}};

  std::vector<std::string> censusQueries;
  std::vector<std::string> steps;
  std::vector<Box> boxes;
  std::vector<int> opened, closed;

  StartupOps ops() {
    StartupOps o;
    o.earlierInstanceRuns = [this] { return earlierInstance; };
    o.isProcessRunning = [this](const std::string& name) {
      censusQueries.push_back(name);
      return acadRunning;
    };
    o.programFolder = [this] { return ProgramFolder{"C:\\Vesk", folderSpellable}; };
    o.attachApplication = [this] {
      steps.push_back("attach");
      if (!attachWorks) throw SystemError(0x800401E3, "Operation unavailable");
    };
    o.paletteElevation = [this] { return paletteElevation; };
    o.acadElevation = [this] { return acadElevation; };
    o.userSettingsFolder = [this] { return userFolder; };
    o.screenSize = [this] { return screen; };
    o.monitors = [this] { return monitors; };
    o.messageBox = [this](const std::string& text, const std::string& title, unsigned style) {
      boxes.push_back({text, title, style});
    };
    o.openLayout = [this](int n) {
      if (!windowWorks) throw SystemError(1407, "Cannot find window class.");
      opened.push_back(n);
    };
    o.closeLayout = [this](int n) { closed.push_back(n); };
    return o;
  }
};

const std::string kIni = "C:\\Vesk\\Vesk.ini";

struct StartupTest : testing::Test {
  void SetUp() override { State() = PaletteState{}; }
  StartupOps ops() {
    StartupOps o = platform.ops();
    o.files = files.ops;
    return o;
  }
  StartupOutcome run() { return Main(ops()); }
  void saved(const std::string& body) { files.files[kIni] = "[Palette]\r\n" + body; }

  FakeFiles files;
  FakePlatform platform;
};

// CreateMutex's handle and last error: taken or denied (an administrator's copy
// holds it) is a second copy; any other failure goes on without the lock.
TEST(InstanceLock, DeniedIsAnotherCopyOtherFailuresAreNot) {
  struct Case {
    bool handle;
    unsigned long error;
    InstanceLock lock;
  };
  for (const Case& c : {Case{true, 0, InstanceLock::Ours}, Case{true, 183, InstanceLock::HeldByAnother},
                        Case{false, 5, InstanceLock::HeldByAnother}, Case{false, 8, InstanceLock::Unavailable},
                        Case{false, 123, InstanceLock::Unavailable}, Case{false, 0, InstanceLock::Unavailable}})
    EXPECT_EQ(InstanceLockFrom(c.handle, c.error), c.lock) << c.handle << " " << c.error;
}

TEST_F(StartupTest, EarlierInstanceShowsOnlyItsBox) {
  platform.earlierInstance = true;
  platform.acadRunning = false;  // a second copy without AutoCAD still says only this
  EXPECT_EQ(run(), StartupOutcome::AlreadyRunning);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].title, "Quillbar");
  EXPECT_EQ(platform.boxes[0].style, 0x10u);
  EXPECT_TRUE(platform.censusQueries.empty());
  EXPECT_TRUE(platform.steps.empty());
  EXPECT_TRUE(files.calls.empty()) << "the settings file is neither read nor created";
  EXPECT_TRUE(platform.opened.empty());
}

TEST_F(StartupTest, NoAutoCADShowsItsBoxAndLeavesSettingsAlone) {
  platform.acadRunning = false;
  EXPECT_EQ(run(), StartupOutcome::AutoCADAbsent);
  EXPECT_EQ(platform.censusQueries, std::vector<std::string>{"acad.exe"});
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].title, "Vesk Menu Palette");
  EXPECT_EQ(platform.boxes[0].style, 0x10u);
  EXPECT_TRUE(platform.steps.empty()) << "AutoCAD is never attached to";
  EXPECT_TRUE(files.calls.empty());
  EXPECT_TRUE(platform.opened.empty());
  EXPECT_EQ(platform.closed, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(StartupTest, UnspellableFolderSaysSoBeforeTheAttach) {
  platform.folderSpellable = false;
  EXPECT_EQ(run(), StartupOutcome::FolderUnspellable);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, UnspellableFolderText());
  EXPECT_EQ(platform.boxes[0].title, "Quillbar");
  EXPECT_EQ(platform.boxes[0].style, 0x10u);
  EXPECT_TRUE(platform.steps.empty()) << "AutoCAD is never attached to";
  EXPECT_TRUE(files.calls.empty());
  EXPECT_TRUE(platform.opened.empty());
}

// A failed attach ends silently (AutoCAD still loading), but where AutoCAD and
// the palette run with different rights, which no wait mends.
TEST_F(StartupTest, AttachFailureEndsSilentlyUnlessTheRightsDiffer) {
  const struct {
    Elevation palette, acad;
    bool box;
  } cases[] = {
      {Elevation::Normal, Elevation::Normal, false},
      {Elevation::Normal, Elevation::Elevated, true},   // AutoCAD run as administrator
      {Elevation::Elevated, Elevation::Normal, true},   // Quillbar run as administrator
      {Elevation::Normal, Elevation::Unknown, false},   // a token that could not be read
  };
  for (const auto& c : cases) {
    platform = FakePlatform{};
    files.calls.clear();
    platform.attachWorks = false;
    platform.paletteElevation = c.palette;
    platform.acadElevation = c.acad;
    EXPECT_EQ(run(), c.box ? StartupOutcome::OtherElevation : StartupOutcome::Failed);
    EXPECT_EQ(platform.boxes.size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(platform.boxes[0].text, ElevationBoxText());
    }
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_EQ(platform.closed, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(files.calls.empty()) << "the settings are read only after the attach";
  }
}

TEST_F(StartupTest, CensusFailureIsNotTrapped) {
  StartupOps ops = this->ops();
  ops.isProcessRunning = [](const std::string&) -> bool { throw SystemError(0x80041003, "Access denied"); };
  EXPECT_THROW(Main(ops), SystemError);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_TRUE(files.calls.empty());
}

TEST_F(StartupTest, FirstStartOpensMinimalLayoutAtScreenCentre) {
  EXPECT_EQ(run(), StartupOutcome::Started);
  EXPECT_EQ(platform.steps, (std::vector<std::string>{"attach"})) << "no drawing needs to be open";
  EXPECT_EQ(platform.opened, std::vector<int>{4});
  EXPECT_TRUE(platform.closed.empty());
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(State().appFolder, "C:\\Vesk");
  EXPECT_EQ(State().iniPath, kIni);
  EXPECT_EQ(State().paletteLeft, 9600);
  EXPECT_EQ(State().paletteTop, 7680);
  EXPECT_EQ(State().currentLayout, 0) << "the layout's own load sets currentLayout";
  EXPECT_TRUE(files.files.count(kIni)) << "reading creates the missing file";
  EXPECT_EQ(files.files[kIni], "");
  EXPECT_FALSE(files.wrote());
}

TEST_F(StartupTest, WindowFailureClosesEverythingSilently) {
  platform.windowWorks = false;
  EXPECT_EQ(run(), StartupOutcome::Failed);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(platform.closed, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(StartupTest, UnreadableSettingsEndSilently) {
  files.ops.readAll = [](const std::string&) -> std::string { throw SystemError(5, "Access is denied."); };
  EXPECT_EQ(run(), StartupOutcome::Failed);
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_TRUE(platform.opened.empty());
}

struct LayoutCase {
  const char* formNumber;  // nullptr: key absent
  std::optional<int> opened;  // empty: start-up fails
};

class LayoutChoice : public StartupTest, public testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutChoice, OpensTheStoredLayout) {
  if (GetParam().formNumber) saved(std::string("formNumber=") + GetParam().formNumber + "\r\n");
  const StartupOutcome outcome = run();
  if (GetParam().opened) {
    EXPECT_EQ(outcome, StartupOutcome::Started);
    EXPECT_EQ(platform.opened, std::vector<int>{*GetParam().opened});
  } else {
    EXPECT_EQ(outcome, StartupOutcome::Failed);
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_TRUE(platform.boxes.empty());
  }
  EXPECT_FALSE(files.wrote()) << "start-up never writes the settings";
}

INSTANTIATE_TEST_SUITE_P(Startup, LayoutChoice,
                         testing::Values(LayoutCase{nullptr, 4}, LayoutCase{"", 4}, LayoutCase{"0", 4},
                                         LayoutCase{"1", 1}, LayoutCase{"2", 2}, LayoutCase{"3", 3},
                                         LayoutCase{"4", 4}, LayoutCase{"255", 4}, LayoutCase{"2.5", 2},
                                         LayoutCase{"256", std::nullopt}, LayoutCase{"abc", std::nullopt}));

struct PositionCase {
  const char* startX;  // nullptr: key absent
  std::optional<int32_t> left;  // empty: start-up fails
};

class PositionRule : public StartupTest, public testing::WithParamInterface<PositionCase> {};

TEST_P(PositionRule, KeepsOrReplacesTheSavedLeft) {
  if (GetParam().startX) saved(std::string("startX=") + GetParam().startX + "\r\nstartY=100\r\n");
  const StartupOutcome outcome = run();
  if (GetParam().left) {
    ASSERT_EQ(outcome, StartupOutcome::Started);
    EXPECT_EQ(State().paletteLeft, *GetParam().left);
  } else {
    EXPECT_EQ(outcome, StartupOutcome::Failed);
  }
}

// Screen width 19200 twips: the largest kept value is 18200, the fallback 9600.
INSTANTIATE_TEST_SUITE_P(Startup, PositionRule,
                         testing::Values(PositionCase{nullptr, 9600}, PositionCase{"18200", 18200},
                                         PositionCase{"18201", 9600}, PositionCase{"1", 1},
                                         PositionCase{"0", 9600}, PositionCase{"-15", 9600},
                                         PositionCase{"-2147483648", 9600}, PositionCase{"0.5", 9600},
                                         PositionCase{"1.5", 2}, PositionCase{"12x", std::nullopt}));

TEST_F(StartupTest, TopFollowsTheScreenHeight) {
  saved("startX=300\r\nstartY=14360\r\n");
  ASSERT_EQ(run(), StartupOutcome::Started);
  EXPECT_EQ(State().paletteLeft, 300);
  EXPECT_EQ(State().paletteTop, 14360);
  State() = PaletteState{};
  saved("startX=300\r\nstartY=14361\r\n");
  ASSERT_EQ(run(), StartupOutcome::Started);
  EXPECT_EQ(State().paletteTop, 7680);
}

// A palette closed on another monitor comes back there; a corner the current
// desktop does not show falls back to the primary screen's rule on each axis.
TEST_F(StartupTest, SavedCornerOnAnyMonitorIsKept) {
  struct Case {
    const char* name;
    std::vector<TwipArea> monitors;
    int32_t x, y, left, top;
  };
  const TwipArea primary{0, 0, 19200, 15360};
  const TwipArea left{-28800, -2000, 0, 19600}, above{0, -15360, 19200, 0}, right{19200, 0, 48000, 21600};
  const Case cases[] = {
      {"monitor to the left", {primary, left}, -20000, -1500, -20000, -1500},
      {"monitor above", {primary, above}, 3000, -9000, 3000, -9000},
      {"monitor to the right", {primary, right}, 40000, 20000, 40000, 20000},
      {"1000 twips inside the right and bottom edges", {primary, right}, 47000, 20600, 47000, 20600},
      {"closer to the right edge", {primary, right}, 47001, 3000, 9600, 3000},
      {"saved monitor is gone", {primary}, -20000, 3000, 9600, 3000},
      {"a 0 on another monitor", {primary, above}, 3000, 0, 3000, 7680},
      {"between monitors", {primary, left}, 5000, 16000, 5000, 7680},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    State() = PaletteState{};
    platform.monitors = c.monitors;
    saved("startX=" + std::to_string(c.x) + "\r\nstartY=" + std::to_string(c.y) + "\r\n");
    ASSERT_EQ(run(), StartupOutcome::Started);
    EXPECT_EQ(State().paletteLeft, c.left);
    EXPECT_EQ(State().paletteTop, c.top);
  }
}

// Where this user may not change the folder's Vesk.ini, the palette starts from
// the user's own file, else from the folder's, else as on a first start; its
// saves go to the user's file, which begins as a copy of the folder's, and the
// folder stays as it was. Where the folder's file can be changed, the user's file
// is not looked at; other failures still end start-up.
TEST_F(StartupTest, AFolderThisUserMayNotChangeLeavesTheSettingsInTheUsersFile) {
#ifdef _WIN32
  constexpr unsigned long kDenied = 5, kWriteProtect = 19, kDiskFull = 112;
#else
  constexpr unsigned long kDenied = EACCES, kWriteProtect = EROFS, kDiskFull = ENOSPC;
#endif
  const std::string user = platform.userFolder + "\\Vesk.ini";
  const std::string folderFile = "[Palette]\r\nformNumber=2\r\nstartX=3000\r\n[Vesk]\r\nSoftwarePath=C:\\Vesk\\\r\n";
  const std::string userFile = "[Palette]\r\nformNumber=3\r\nstartX=4500\r\n";
  enum When { Never, FromStart, AtTheWrite };
  const struct Case {
    const char* name;
    When refused;
    unsigned long error;
    bool hasFolderFile, hasUserFile;
    StartupOutcome outcome;
    int layout;
    int32_t left;
    std::string savedFolder, savedUser;  // after the switch to layout 1; "-" where missing
  } cases[] = {
      {"writable folder, the user's file not looked at", Never, 0, true, true, StartupOutcome::Started, 2, 3000,
       "[Palette]\r\nformNumber=1\r\nstartX=3000\r\n[Vesk]\r\nSoftwarePath=C:\\Vesk\\\r\n", userFile},
      {"no files: a first start", FromStart, kDenied, false, false, StartupOutcome::Started, 4, 9600, "-",
       "[Palette]\r\nformNumber=1\r\n"},
      {"write-protected, the folder's file only", FromStart, kWriteProtect, true, false, StartupOutcome::Started, 2,
       3000, folderFile, "[Palette]\r\nformNumber=1\r\nstartX=3000\r\n[Vesk]\r\nSoftwarePath=C:\\Vesk\\\r\n"},
      {"the user's file first", FromStart, kDenied, true, true, StartupOutcome::Started, 3, 4500, folderFile,
       "[Palette]\r\nformNumber=1\r\nstartX=4500\r\n"},
      {"refused at the write only", AtTheWrite, kDenied, true, false, StartupOutcome::Started, 2, 3000, folderFile,
       "[Palette]\r\nformNumber=1\r\nstartX=3000\r\n[Vesk]\r\nSoftwarePath=C:\\Vesk\\\r\n"},
      {"a full disk is no refusal", FromStart, kDiskFull, true, true, StartupOutcome::Failed, 0, 0, folderFile,
       userFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    State() = PaletteState{};
    FakeFiles files;  // a fresh one: its calls hold on to it
    if (c.hasFolderFile) files.files[kIni] = folderFile;
    if (c.hasUserFile) files.files[user] = userFile;
    bool refusing = c.refused == FromStart;
    const FileOps real = files.ops;
    auto guard = [&](const std::string& p) {
      if (refusing && p.rfind("C:\\Vesk\\", 0) == 0) throw SystemError(c.error, "refused");
    };
    files.ops.createIfMissing = [&](const std::string& p) { if (!files.files.count(p)) guard(p); real.createIfMissing(p); };
    files.ops.setArchiveOnly = [&](const std::string& p) { guard(p); real.setArchiveOnly(p); };
    files.ops.writeNew = [&](const std::string& p, std::string_view b, const std::string& l) { guard(p); real.writeNew(p, b, l); };
    files.ops.moveReplace = [&](const std::string& f, const std::string& t) { guard(t); real.moveReplace(f, t); };

    StartupOps ops = platform.ops();
    ops.files = files.ops;
    ASSERT_EQ(Main(ops), c.outcome);
    if (c.outcome != StartupOutcome::Started) continue;
    EXPECT_EQ(platform.opened.back(), c.layout);
    EXPECT_EQ(State().paletteLeft, c.left);
    EXPECT_EQ(State().onUserFile, c.refused == FromStart);
    if (c.refused != FromStart) {
      for (const std::string& call : files.calls) EXPECT_EQ(call.find(user), std::string::npos) << call;
    }

    refusing = c.refused != Never;
    SaveWhereAllowed(State().iniPath, State().userIniPath, State().onUserFile,
                     [](const std::string& ini, const FileOps& ops) { SaveFormNumber(ini, 1, ops); }, files.ops);
    EXPECT_EQ(files.files.count(kIni) ? files.files[kIni] : "-", c.savedFolder);
    EXPECT_EQ(files.files.count(user) ? files.files[user] : "-", c.savedUser);
    EXPECT_EQ(State().onUserFile, c.refused != Never) << "later saves go where this one went";
  }
}

// The saves go through the file calls they are handed; the close writes its
// three keys in one rewrite, so no failure or kill can leave only some saved.
TEST(PaletteSettings, SwitchAndCloseSaveThroughTheirFileCallsTheCloseInOneRewrite) {
  FakeFiles files;
  files.files[kIni] = "[Palette]\r\nformNumber=1\r\n";
  SaveFormNumber(kIni, 2, files.ops);
  EXPECT_EQ(files.files[kIni], "[Palette]\r\nformNumber=2\r\n");
  files.calls.clear();
  SavePalettePlace(kIni, 3, -450, 300, files.ops);
  EXPECT_EQ(files.files[kIni], "[Palette]\r\nstartY=300\r\nstartX=-450\r\nformNumber=3\r\n");
  EXPECT_EQ(std::count(files.calls.begin(), files.calls.end(), "move " + TempPathFor(kIni)), 1);
}

TEST(PositionOnAxis, ComparesOnRealNumbersAndRoundsHalfToEven) {
  EXPECT_EQ(PositionOnAxis(17200, 18200.5), 17200);
  EXPECT_EQ(PositionOnAxis(17201, 18200.5), 9100);  // 17201 > 17200.5; half of 18200.5 is 9100.25
  EXPECT_EQ(PositionOnAxis(0, 19201), 9600);        // 9600.5 rounds to even
  EXPECT_EQ(PositionOnAxis(0, 19203), 9602);        // 9601.5 rounds to even
}

TEST(TextToLong, ReadsDecimalNumbersRoundingHalfToEven) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"0", 0},           {"42", 42},       {"-42", -42},     {"+7", 7},          {" 7 ", 7},
      {"2.5", 2},         {"3.5", 4},       {"-2.5", -2},     {"-3.5", -4},       {"0.5", 0},
      {"2.51", 3},        {"2.4999", 2},    {"2.50000000000000001", 3},             {".5", 0},
      {"5.", 5},          {"1e3", 1000},    {"25E-1", 2},     {"-0.4", 0},        {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},           {"2147483646.5", 2147483646},
      {"2147483647.5", std::nullopt},       {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},        {"99999999999999999999", std::nullopt},
      {"", std::nullopt}, {" ", std::nullopt}, {"abc", std::nullopt}, {"1.2.3", std::nullopt},
      {"1e", std::nullopt}, {"--1", std::nullopt}, {"0x10", std::nullopt}, {"1,5", std::nullopt},
      {".", std::nullopt}, {"- 1", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt},
      {"1e99999999999", std::nullopt}, {"0e99999999999", 0}, {"5e-99999999999", 0}, {"7\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToLong(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextToByte, GoesThroughLongThenByteRange) {
  EXPECT_EQ(TextToByte("255"), 255);
  EXPECT_EQ(TextToByte("254.5"), 254);
  EXPECT_EQ(TextToByte("-0.5"), 0);
  EXPECT_EQ(TextToByte("255.5"), std::nullopt);
  EXPECT_EQ(TextToByte("256"), std::nullopt);
  EXPECT_EQ(TextToByte("-1"), std::nullopt);
  EXPECT_EQ(TextToByte("3000000000"), std::nullopt);
}

}  // namespace
