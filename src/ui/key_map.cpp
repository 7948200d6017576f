#include "ui/key_map.h"

#include "platform/keys.h"
#include "ui/key_bindings.h"

#include <QKeyEvent>

namespace {
const TKeyBindings* Active = nullptr;

// Marks a press the game made itself; no keyboard gives these modifiers.
constexpr quint32 GameMadeMark = 0xC1A4C0DEu;

const TKeyBindings& Bindings() {
  static const TKeyBindings Defaults;
  return Active != nullptr ? *Active : Defaults;
}

bool IsEnter(int Key) { return Key == Qt::Key_Return || Key == Qt::Key_Enter; }

// The keys that stay the window's whatever the player chooses.
std::uint32_t CommandKeyCode(const QKeyEvent& Event) {
  const bool Ctrl = Event.modifiers().testFlag(Qt::ControlModifier);
  const bool Alt = Event.modifiers().testFlag(Qt::AltModifier);
  switch (Event.key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter: return Alt ? vkF11 : 0;
  case Qt::Key_Escape: return vkEscape;
  case Qt::Key_Plus:
  case Qt::Key_Equal: return Ctrl ? kcZoomIn : 0;
  case Qt::Key_Minus: return Ctrl ? kcZoomOut : 0;
  case Qt::Key_F1: return vkF1;
  case Qt::Key_F2: return vkF2;
  case Qt::Key_F3: return vkF3;
  case Qt::Key_F5: return vkF5;
  case Qt::Key_F6: return vkF6;
  case Qt::Key_F7: return vkF7;
  case Qt::Key_F8: return vkF8;
  case Qt::Key_F11: return vkF11;
  default: return 0;
  }
}
} // namespace

TKeyId KeyIdOf(const QKeyEvent& Event) {
  const bool Keypad = Event.modifiers().testFlag(Qt::KeypadModifier);
  const int Key = !Keypad && Event.key() == Qt::Key_Equal ? Qt::Key_Plus : Event.key();
  return static_cast<TKeyId>(Key) | (Keypad ? static_cast<TKeyId>(Qt::KeypadModifier) : 0);
}

const TKeyBindings* KeyBindingsInUse() { return Active; }

const TKeyBindings* UseKeyBindings(const TKeyBindings* aBindings) {
  const TKeyBindings* Previous = Active;
  Active = aBindings;
  return Previous;
}

std::uint32_t GameKeyCode(const QKeyEvent& Event) {
  if (Event.nativeModifiers() == GameMadeMark)
    return Event.nativeVirtualKey();
  if (const std::uint32_t Code = CommandKeyCode(Event))
    return Code;
  const TKeyId Key = KeyIdOf(Event);
  if (const std::uint32_t Code = Bindings().CodeOf(Key))
    return Code;
  // The keypad's arrows with Num Lock off, and the like.
  if (const std::uint32_t Code = Bindings().CodeOf(static_cast<TKeyId>(Event.key())))
    return Code;
  return IsEnter(Event.key()) ? vkReturn : 0;
}

std::uint32_t DialogKeyCode(const QKeyEvent& Event) {
  if (IsEnter(Event.key()) && !Event.modifiers().testFlag(Qt::AltModifier))
    return vkReturn;
  return CommandKeyCode(Event);
}

QKeyEvent* MakeKeyPress(std::uint32_t Code) {
  struct TKey {
    std::uint32_t Code;
    int QtKey;
    Qt::KeyboardModifiers Modifiers;
    const char* Text;
  };
  static constexpr TKey Keys[] = {
      {vkReturn, Qt::Key_Return, Qt::NoModifier, "\r"}, {vkPause, Qt::Key_Pause, Qt::NoModifier, ""},
      {vkEscape, Qt::Key_Escape, Qt::NoModifier, ""},   {vkSpace, Qt::Key_Space, Qt::NoModifier, " "},
      {vkLeft, Qt::Key_Left, Qt::NoModifier, ""},       {vkUp, Qt::Key_Up, Qt::NoModifier, ""},
      {vkRight, Qt::Key_Right, Qt::NoModifier, ""},     {vkDown, Qt::Key_Down, Qt::NoModifier, ""},
      {vkAdd, Qt::Key_Plus, Qt::KeypadModifier, "+"},   {vkSubtract, Qt::Key_Minus, Qt::KeypadModifier, "-"},
      {vkF1, Qt::Key_F1, Qt::NoModifier, ""},           {vkF2, Qt::Key_F2, Qt::NoModifier, ""},
      {vkF3, Qt::Key_F3, Qt::NoModifier, ""},
      {vkF5, Qt::Key_F5, Qt::NoModifier, ""},           {vkF6, Qt::Key_F6, Qt::NoModifier, ""},
      {vkF7, Qt::Key_F7, Qt::NoModifier, ""},           {vkF8, Qt::Key_F8, Qt::NoModifier, ""},
      {vkF11, Qt::Key_F11, Qt::NoModifier, ""},
      {kcZoomIn, Qt::Key_Plus, Qt::ControlModifier, "+"}, {kcZoomOut, Qt::Key_Minus, Qt::ControlModifier, "-"},
  };
  for (const TKey& K : Keys) {
    if (K.Code == Code)
      return new QKeyEvent(QEvent::KeyPress, K.QtKey, K.Modifiers, 0, Code, GameMadeMark,
                           QString::fromLatin1(K.Text));
  }
  return new QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier);
}
