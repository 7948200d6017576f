#include "ui/key_settings.h"

#include "platform/ini_file.h"

#include <cctype>
#include <ostream>
#include <strings.h>
#include <vector>

namespace {
// No line of a file can hold a line break: the key is missing.
const std::string Missing = "\n";

// "Num+" before a comma: the comma is the keypad's comma key.
bool WaitsForKey(const std::string& Name) {
  return Name.size() >= 2 && Name.back() == '+' && std::isalpha(static_cast<unsigned char>(Name[Name.size() - 2]));
}

// Names separated by commas; the comma key is spelled "," itself, and "Num+,"
// is the keypad's.
std::vector<std::string> SplitNames(const std::string& Text) {
  std::vector<std::string> Names;
  std::string Name;
  for (const char Ch : Text) {
    if (Ch == ',' && !Name.empty() && !WaitsForKey(Name)) {
      Names.push_back(Name);
      Name.clear();
      continue;
    }
    Name += Ch;
  }
  if (!Name.empty() || !Names.empty())
    Names.push_back(Name);
  return Names;
}

std::string Trimmed(const std::string& Text) {
  const auto First = Text.find_first_not_of(" \t");
  if (First == std::string::npos)
    return {};
  return Text.substr(First, Text.find_last_not_of(" \t") - First + 1);
}

// The value as the report shows it: a control character (a stray NUL) as \xNN.
std::string Shown(const std::string& Value) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::string Text;
  for (const char Ch : Value) {
    const auto Byte = static_cast<unsigned char>(Ch);
    if (Byte < 0x20 || Byte == 0x7f)
      Text += std::string("\\x") + Digits[Byte >> 4] + Digits[Byte & 15];
    else
      Text += Ch;
  }
  return Text;
}

void Tell(std::ostream& Report, const TIniFile& IniF, const std::string& Key, const std::string& Value,
          const char* Why) {
  Report << IniF.FileName() << ", [" << KeysSection << "] " << Key << "=" << Shown(Value) << ": " << Why << "; "
         << Key << " keeps its default.\n";
}

void LoadAction(const TIniFile& IniF, TPlayAction Action, TKeyBindings& Keys, std::ostream& Report) {
  const std::string Value = IniF.ReadString(KeysSection, ActionName(Action), Missing);
  if (Value == Missing)
    return;
  const auto List = ParseKeyList(Value);
  if (!List) {
    Tell(Report, IniF, ActionName(Action), Value, "not up to two keys the game lets the player choose");
    return;
  }
  for (int Slot = 0; Slot < KeysPerAction; ++Slot)
    Keys.Clear({Action, Slot});
  for (int Slot = 0; Slot < KeysPerAction; ++Slot)
    if ((*List)[Slot] != 0)
      Keys.Bind({Action, Slot}, (*List)[Slot]);
}

void LoadPadButton(const TIniFile& IniF, TPadButton Button, TPadBindings& Pad, std::ostream& Report) {
  const std::string Value = IniF.ReadString(KeysSection, PadButtonName(Button), Missing);
  if (Value == Missing)
    return;
  for (int Choice = 0; Choice < PadChoiceCount; ++Choice)
    if (strcasecmp(PadChoiceName(Choice), Trimmed(Value).c_str()) == 0) {
      Pad.Codes[static_cast<int>(Button)] = PadChoiceCode(Choice);
      return;
    }
  Tell(Report, IniF, PadButtonName(Button), Value, "not an action a pad button can take");
}

void WriteIfChanged(TIniFile& IniF, const char* Key, const std::string& Value, bool Default) {
  const std::string Stored = IniF.ReadString(KeysSection, Key, Missing);
  if (Stored == Value || (Default && Stored == Missing))
    return;
  IniF.WriteString(KeysSection, Key, Value);
}
} // namespace

std::string KeyListText(const std::array<TKeyId, KeysPerAction>& Keys) {
  std::string Text;
  for (const TKeyId Key : Keys) {
    if (Key == 0)
      continue;
    if (!Text.empty())
      Text += ',';
    Text += KeyName(Key);
  }
  return Text;
}

std::optional<std::array<TKeyId, KeysPerAction>> ParseKeyList(const std::string& Text) {
  const std::vector<std::string> Names = SplitNames(Trimmed(Text));
  if (Names.size() > KeysPerAction)
    return std::nullopt;
  std::array<TKeyId, KeysPerAction> Keys{};
  for (std::size_t I = 0; I < Names.size(); ++I) {
    const std::optional<TKeyId> Key = KeyFromName(Trimmed(Names[I]));
    if (!Key || TKeyBindings::Refusal(*Key) != TKeyRefusal::None || (I > 0 && Keys[0] == *Key))
      return std::nullopt;
    Keys[I] = *Key;
  }
  return Keys;
}

void LoadKeys(const TIniFile& IniF, TKeyBindings& Keys, TPadBindings& Pad, std::ostream& Report) {
  for (int I = 0; I < ActionCount; ++I)
    LoadAction(IniF, static_cast<TPlayAction>(I), Keys, Report);
  for (int I = 0; I < PadButtonCount; ++I)
    LoadPadButton(IniF, static_cast<TPadButton>(I), Pad, Report);
}

void SaveKeys(TIniFile& IniF, const TKeyBindings& Keys, const TPadBindings& Pad) {
  const TKeyBindings DefaultKeys;
  for (int I = 0; I < ActionCount; ++I) {
    const auto Action = static_cast<TPlayAction>(I);
    WriteIfChanged(IniF, ActionName(Action), KeyListText(Keys.KeysOf(Action)),
                   Keys.KeysOf(Action) == DefaultKeys.KeysOf(Action));
  }
  const TPadBindings DefaultPad;
  for (int I = 0; I < PadButtonCount; ++I)
    WriteIfChanged(IniF, PadButtonName(static_cast<TPadButton>(I)), PadChoiceName(PadChoiceOf(Pad.Codes[I])),
                   Pad.Codes[I] == DefaultPad.Codes[I]);
}
