#include "ui/ui_fixture.h"

#include "platform/gamepad.h"
#include "support/virtual_pad.h"
#include "ui/controls_dialog.h"
#include "ui/key_bindings.h"
#include "ui/key_settings.h"

#include <QComboBox>
#include <QLabel>
#include <QMetaEnum>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <sstream>

namespace {
constexpr TKeyId Keypad = Qt::KeypadModifier;

// The game's key code for a key pressed with the given bindings in use.
std::uint32_t CodeWith(const TKeyBindings& Keys, int QtKey, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  const TKeyBindings* Previous = UseKeyBindings(&Keys);
  QKeyEvent Event(QEvent::KeyPress, QtKey, Mods);
  const std::uint32_t Code = GameKeyCode(Event);
  UseKeyBindings(Previous);
  return Code;
}

std::string ReadAll(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(KeyBindings, TheDefaultsAreTodaysKeys) {
  const TKeyBindings Keys;
  struct TCase {
    int Key;
    Qt::KeyboardModifiers Mods;
    std::uint32_t Code;
  };
  for (const TCase& C : std::initializer_list<TCase>{{Qt::Key_Left, Qt::NoModifier, vkLeft},
                                                      {Qt::Key_Up, Qt::NoModifier, vkUp},
                                                      {Qt::Key_Space, Qt::NoModifier, vkSpace},
                                                      {Qt::Key_P, Qt::NoModifier, vkPause},
                                                      {Qt::Key_Pause, Qt::NoModifier, vkPause},
                                                      {Qt::Key_Plus, Qt::KeypadModifier, vkAdd},
                                                      {Qt::Key_Equal, Qt::NoModifier, vkAdd},
                                                      {Qt::Key_Minus, Qt::NoModifier, vkSubtract},
                                                      {Qt::Key_F6, Qt::NoModifier, vkF6},
                                                      {Qt::Key_A, Qt::NoModifier, 0u}})
    EXPECT_EQ(CodeWith(Keys, C.Key, C.Mods), C.Code) << C.Key;
}

TEST(KeyBindings, ARemapMovesAKeyAndLeavesTheOtherKeyOfTheAction) {
  TKeyBindings Keys;
  // A second key for Left: both walk left.
  EXPECT_FALSE(Keys.Bind({TPlayAction::Left, 1}, Qt::Key_A).MovedFrom);
  EXPECT_EQ(CodeWith(Keys, Qt::Key_A), vkLeft);
  EXPECT_EQ(CodeWith(Keys, Qt::Key_Left), vkLeft);
  // P moves from Pause to Jump; Pause keeps the Pause key.
  const TBindResult Moved = Keys.Bind({TPlayAction::Jump, 0}, Qt::Key_P);
  ASSERT_TRUE(Moved.MovedFrom);
  EXPECT_EQ(*Moved.MovedFrom, (TKeyCell{TPlayAction::Pause, 1}));
  EXPECT_EQ(CodeWith(Keys, Qt::Key_P), vkUp);
  EXPECT_EQ(CodeWith(Keys, Qt::Key_Up), 0u) << "the Up arrow was Jump's only key, now replaced";
  EXPECT_EQ(CodeWith(Keys, Qt::Key_Pause), vkPause);
  // A cleared cell gives nothing.
  Keys.Clear({TPlayAction::Left, 0});
  EXPECT_EQ(CodeWith(Keys, Qt::Key_Left), 0u);
  EXPECT_EQ(CodeWith(Keys, Qt::Key_A), vkLeft);
}

TEST(KeyBindings, TheWindowsOwnKeysCannotBeTakenAndStayTheirs) {
  TKeyBindings Keys;
  for (TKeyId Key : {TKeyId(Qt::Key_Escape), TKeyId(Qt::Key_F1), TKeyId(Qt::Key_F6), TKeyId(Qt::Key_F11),
                     TKeyId(Qt::Key_Tab), TKeyId(0)}) {
    EXPECT_EQ(Keys.Bind({TPlayAction::Bomb, 0}, Key).Refused, TKeyRefusal::WindowsOwn) << Key;
    EXPECT_EQ(Keys.Key({TPlayAction::Bomb, 0}), TKeyId(Qt::Key_Space)) << "the cell keeps its key";
  }
  // Taking + and Enter for play leaves Ctrl with + zooming and Alt+Enter switching full screen.
  Keys.Bind({TPlayAction::Jump, 0}, Qt::Key_Plus);
  Keys.Bind({TPlayAction::Bomb, 1}, Qt::Key_Return);
  EXPECT_EQ(CodeWith(Keys, Qt::Key_Plus), vkUp);
  EXPECT_EQ(CodeWith(Keys, Qt::Key_Plus, Qt::ControlModifier), kcZoomIn);
  EXPECT_EQ(CodeWith(Keys, Qt::Key_Return), vkSpace);
  EXPECT_EQ(CodeWith(Keys, Qt::Key_Return, Qt::AltModifier), vkF11);
  // The game's own presses (a resume, a pad's) stand for their action whatever the keys.
  const TKeyBindings* Previous = UseKeyBindings(&Keys);
  std::unique_ptr<QKeyEvent> Resume(MakeKeyPress(vkAdd));
  EXPECT_EQ(GameKeyCode(*Resume), vkAdd);
  UseKeyBindings(Previous);
}

TEST(KeyLists, ReadAndWrittenByQtsNames) {
  using namespace std::string_literals;
  struct TCase {
    std::string Text;
    bool Reads;
    std::array<TKeyId, 2> Keys;
  };
  const TCase Cases[] = {
      {"Left,A", true, {Qt::Key_Left, Qt::Key_A}},
      {"a", true, {Qt::Key_A, 0}},
      {"", true, {0, 0}},
      {"Num++,+", true, {Qt::Key_Plus | Keypad, Qt::Key_Plus}},
      {",,Up", true, {Qt::Key_Comma, Qt::Key_Up}},
      {"Lefty", false, {}},
      {"F1", false, {}},
      {"Ctrl+A", false, {}},
      {"A,B,C", false, {}},
      {"A,A", false, {}},
      // A stray control character is no key, not even after the keypad's "Num+".
      {"Num+\0"s, false, {}},
      {"Left,Num+\0"s, false, {}},
      {"Num+\x01", false, {}},
      {"\x7f", false, {}},
      {"\xc2\x85", false, {}}, // the C1 line break
      {"Num+\xff", false, {}},  // no UTF-8
  };
  for (const TCase& C : Cases) {
    const auto Keys = ParseKeyList(C.Text);
    ASSERT_EQ(Keys.has_value(), C.Reads) << "\"" << C.Text << "\" of " << C.Text.size() << " bytes";
    if (!C.Reads)
      continue;
    EXPECT_EQ(*Keys, C.Keys) << C.Text;
    EXPECT_EQ(ParseKeyList(KeyListText(*Keys)), Keys) << "written and read back: " << C.Text;
  }
  EXPECT_EQ(KeyListText({Qt::Key_Left, Qt::Key_A}), "Left,A");
}

TEST(KeysSection, ReadLinesReplaceTheDefaultsAndBadOnesAreToldOnce) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  using namespace std::string_literals;
  std::ofstream(Path) << "[Tinvell: 01h]\nStartLevel=3\n[Keys]\nLeft=A,Left\nJump=Lefty\nDown=\nPause=F2\n"
                         "Bomb=Num+\0\nPadA=Jump\nPadB=Sideways\n"s;
  const TIniFile IniF(Path);
  TKeyBindings Keys;
  TPadBindings Pad;
  std::ostringstream Report;
  LoadKeys(IniF, Keys, Pad, Report);
  EXPECT_EQ(Keys.KeysOf(TPlayAction::Left), (std::array<TKeyId, 2>{Qt::Key_A, Qt::Key_Left}));
  EXPECT_EQ(Keys.KeysOf(TPlayAction::Jump), TKeyBindings().KeysOf(TPlayAction::Jump)) << "an unknown name";
  EXPECT_EQ(Keys.KeysOf(TPlayAction::Down), (std::array<TKeyId, 2>{0, 0})) << "no keys at all";
  EXPECT_EQ(Keys.KeysOf(TPlayAction::Pause), TKeyBindings().KeysOf(TPlayAction::Pause)) << "a window's key";
  EXPECT_EQ(Keys.KeysOf(TPlayAction::Bomb), TKeyBindings().KeysOf(TPlayAction::Bomb)) << "a NUL after Num+";
  EXPECT_EQ(Pad.Codes[0], vkUp);
  EXPECT_EQ(Pad.Codes[1], DefaultPadButtonKeys[1]);
  const std::string Told = Report.str();
  EXPECT_EQ(std::count(Told.begin(), Told.end(), '\n'), 4) << Told;
  EXPECT_EQ(Told.find('\0'), std::string::npos) << "the report shows the NUL, it does not hold one";
  for (const char* Line : {"Jump=Lefty", "Pause=F2", "Bomb=Num+\\x00:", "PadB=Sideways"})
    EXPECT_NE(Told.find(Line), std::string::npos) << Told;
  EXPECT_NE(Told.find(Path), std::string::npos);
}

TEST(KeysSection, OnlyChangesAreWrittenAfterTheGamesSectionWhichStaysByteForByte) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/clankora.ini";
  const std::string GameSection = "[Tinvell: 01h]\r\nTop=0x10\r\nStartLevel= 7\r\nOdd line\r\n";
  std::ofstream(Path, std::ios::binary) << GameSection;
  TIniFile IniF(Path);
  SaveKeys(IniF, TKeyBindings(), TPadBindings());
  EXPECT_EQ(ReadAll(Path), GameSection) << "the defaults write nothing";

  TKeyBindings Keys;
  Keys.Bind({TPlayAction::Left, 0}, Qt::Key_A);
  TPadBindings Pad;
  Pad.Codes[5] = 0;
  SaveKeys(IniF, Keys, Pad);
  const std::string Text = ReadAll(Path);
  ASSERT_EQ(Text.substr(0, GameSection.size()), GameSection);
  EXPECT_EQ(IniF.ReadString("Keys", "Left", "-"), "A");
  EXPECT_EQ(IniF.ReadString("Keys", "PadRightShoulder", "-"), "None");
  EXPECT_EQ(IniF.ReadString("Keys", "Jump", "-"), "-") << "unchanged actions have no line";

  // Back to the defaults: the line says so.
  SaveKeys(IniF, TKeyBindings(), TPadBindings());
  EXPECT_EQ(IniF.ReadString("Keys", "Left", "-"), "Left");
  EXPECT_EQ(ReadAll(Path).substr(0, GameSection.size()), GameSection);
}

namespace {
class ControlsDialogTest : public TProgramTest {
protected:
  ControlsDialogTest() {
    Start();
    Main->show();
    Press(vkF6);
  }
  TFrmControls& Dialog() { return *Program.Dialogs->Controls(); }
  void Key(Qt::Key K) { QTest::keyClick(Dialog().KeyTable, K); }
  QString Cell(int Row, int Column) { return Dialog().KeyTable->item(Row, Column)->text(); }
};
} // namespace

TEST_F(ControlsDialogTest, KeysAreChosenMovedClearedAndRestoredFromTheKeyboardAlone) {
  ASSERT_NE(Program.Dialogs->Controls(), nullptr);
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Cell(0, 0), "Left");

  Key(Qt::Key_Return); // Left's first key waits
  EXPECT_TRUE(Dialog().Waiting());
  Key(Qt::Key_A);
  EXPECT_EQ(Cell(0, 0), "A");
  EXPECT_EQ(CodeWith(Main->PlayersKeys(), Qt::Key_A), vkLeft);

  Key(Qt::Key_Down); // Right
  Key(Qt::Key_Return);
  Key(Qt::Key_A);
  EXPECT_EQ(Cell(1, 0), "A");
  EXPECT_EQ(Cell(0, 0), "") << "A moved";
  EXPECT_TRUE(Dialog().Note->text().contains("taken from Left")) << Dialog().Note->text().toStdString();

  Key(Qt::Key_Delete);
  EXPECT_EQ(Cell(1, 0), "");
  Key(Qt::Key_Return);
  Key(Qt::Key_F1);
  EXPECT_TRUE(Dialog().Waiting()) << "F1 is refused and the cell still waits";
  EXPECT_TRUE(Dialog().Note->text().contains("F1"));
  Key(Qt::Key_Escape);
  EXPECT_FALSE(Dialog().Waiting());
  EXPECT_TRUE(Dialog().isVisible()) << "Escape only stopped the waiting";

  QTest::keyClick(Dialog().PadChoices[0], Qt::Key_Down); // the pad's A
  EXPECT_EQ(Main->PlayersPadButtons().Codes[0], vkPause);

  QTest::keyClick(Dialog().BtnDefaults, Qt::Key_Space);
  EXPECT_EQ(Main->PlayersKeys(), TKeyBindings());
  EXPECT_EQ(Main->PlayersPadButtons(), TPadBindings());
  EXPECT_EQ(Cell(0, 0), "Left");
  Key(Qt::Key_Escape);
  EXPECT_FALSE(Dialog().isVisible());
}

// The window system's own repeat of a held Enter comes as releases and presses
// a few tens of milliseconds apart; the key chosen is the next one pressed.
TEST_F(ControlsDialogTest, AnEnterHeldOrRepeatedIsNotTheNewKeyButOnePressedAgainIs) {
  const auto Send = [this](QEvent::Type Type, int K, unsigned long At) {
    QKeyEvent Event(Type, K, Qt::NoModifier);
    Event.setTimestamp(At);
    QCoreApplication::sendEvent(Dialog().KeyTable, &Event);
  };
  Send(QEvent::KeyPress, Qt::Key_Return, 1000);
  for (unsigned long At = 1660; At < 2000; At += 33) {
    Send(QEvent::KeyRelease, Qt::Key_Return, At);
    Send(QEvent::KeyPress, Qt::Key_Return, At + 1);
  }
  Send(QEvent::KeyRelease, Qt::Key_Return, 2010);
  EXPECT_TRUE(Dialog().Waiting());
  Send(QEvent::KeyPress, Qt::Key_A, 2100);
  EXPECT_EQ(Cell(0, 0), "A");

  Send(QEvent::KeyPress, Qt::Key_Return, 3000);
  Send(QEvent::KeyRelease, Qt::Key_Return, 3080);
  Send(QEvent::KeyPress, Qt::Key_Return, 3500); // pressed again: Enter is the key
  EXPECT_FALSE(Dialog().Waiting());
  EXPECT_EQ(Cell(0, 0), "Return");
}

TEST_F(ControlsDialogTest, TheChosenKeysAreKeptForTheNextRun) {
  QTest::keyClick(Dialog().KeyTable, Qt::Key_Return);
  QTest::keyClick(Dialog().KeyTable, Qt::Key_A);
  QTest::keyClick(Dialog().KeyTable, Qt::Key_Escape);
  End();
  EXPECT_EQ(TIniFile(IniPath()).ReadString("Keys", "Left", "-"), "A");
  Start();
  EXPECT_EQ(Main->PlayersKeys().Key({TPlayAction::Left, 0}), TKeyId(Qt::Key_A));
}

// Every key Qt has a name for, on the main keyboard and the keypad, pressed
// for Left in the dialog: either the dialog refuses it and says why, or the
// settings file gives it back as the same key at the next start.
TEST_F(ControlsDialogTest, EveryKeyTheDialogTakesIsTheSameKeyAtTheNextStart) {
  const TKeyCell Left{TPlayAction::Left, 0};
  const QMetaEnum QtKeys = QMetaEnum::fromType<Qt::Key>();
  int Checked = 0;
  std::vector<std::string> Refused;
  TTempDir Other;
  TIniFile IniF(Other.Path() + "/clankora.ini");
  for (int I = 0; I < QtKeys.keyCount(); ++I)
    for (const Qt::KeyboardModifiers Mods : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::KeypadModifier)}) {
      const int QtKey = QtKeys.value(I);
      if (QKeySequence(QKeyCombination(Mods, Qt::Key(QtKey))).toString(QKeySequence::PortableText).isEmpty())
        continue; // a key Qt has no name for
      ++Checked;
      if (!Dialog().Waiting())
        Key(Qt::Key_Return);
      const TKeyId Before = Main->PlayersKeys().Key(Left);
      QKeyEvent Press(QEvent::KeyPress, QtKey, Mods);
      QCoreApplication::sendEvent(Dialog().KeyTable, &Press);
      const TKeyId Pressed = KeyIdOf(Press); // the main keyboard's = is its +
      const std::string Caption = KeyCaption(Pressed);
      if (Main->PlayersKeys().Key(Left) != Pressed) {
        Refused.push_back(Caption);
        EXPECT_EQ(Main->PlayersKeys().Key(Left), Before) << Caption;
        // Escape only ends the waiting; every other refusal says why, and the cell waits on.
        if (QtKey != Qt::Key_Escape) {
          EXPECT_TRUE(Dialog().Waiting() && (Dialog().Note->text().endsWith(QStringLiteral("choose another key.")) ||
                                             Dialog().Note->text().endsWith(QStringLiteral("choose another."))))
              << Caption << ": " << Dialog().Note->text().toStdString();
        }
        continue;
      }
      SaveKeys(IniF, Main->PlayersKeys(), Main->PlayersPadButtons());
      TKeyBindings Read;
      TPadBindings ReadPad;
      std::ostringstream Told;
      LoadKeys(IniF, Read, ReadPad, Told);
      EXPECT_EQ(Read.Key(Left), Pressed) << Caption << " written as \"" << IniF.ReadString("Keys", "Left", "")
                                         << "\" reads back as " << std::hex << Read.Key(Left);
      EXPECT_EQ(Told.str(), "") << Caption;
    }
  RecordProperty("KeysChecked", Checked);
  RecordProperty("KeysRefused", static_cast<int>(Refused.size()));
  std::string Listed;
  for (const std::string& Caption : Refused)
    Listed += Caption + " ";
  RecordProperty("Refused", Listed);
  // The keys the file could not give back, among the window's own.
  for (const char* Caption : {"AltGr", "Multi_key", "Mode_switch", "Hyper_L", "Dead_Grave", "\xc2\xb5", "\xc3\xbf",
                              "Num+AltGr", "Esc", "F1", "Tab"})
    EXPECT_NE(std::find(Refused.begin(), Refused.end(), Caption), Refused.end()) << Caption << " in " << Listed;
}

TEST_F(ControlsDialogTest, AKeyTheFileCannotKeepIsRefusedInPlainWords) {
  Key(Qt::Key_Return);
  QKeyEvent AltGr(QEvent::KeyPress, Qt::Key_AltGr, Qt::NoModifier);
  QCoreApplication::sendEvent(Dialog().KeyTable, &AltGr);
  EXPECT_TRUE(Dialog().Waiting());
  EXPECT_EQ(Dialog().Note->text(), QStringLiteral("\"AltGr\" cannot be kept as a key: choose another."));
  Key(Qt::Key_B);
  EXPECT_EQ(Cell(0, 0), "B");
  End();
  EXPECT_EQ(TIniFile(IniPath()).ReadString("Keys", "Left", "-"), "B");
}

TEST_F(ControlsDialogTest, ClosingTheDialogLetsAGameThatRanGoOn) {
  QTest::keyClick(Dialog().KeyTable, Qt::Key_Escape);
  PlayBriefly(); // runs, then paused by the queued Pause
  ASSERT_GT(Game().TickCount, 0u);
  Press(vkF6);
  ASSERT_TRUE(Game().Paused);
  const std::uint32_t Ticked = Game().TickCount;
  QTest::keyClick(Dialog().KeyTable, Qt::Key_Escape);
  Post(vkPause); // behind the resume the dialog queued
  Dispatch();
  EXPECT_GT(Game().TickCount, Ticked) << "the game ran again";
  EXPECT_TRUE(Game().Paused);
}
