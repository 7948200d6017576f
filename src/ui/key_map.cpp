#include "ui/key_map.h"

#include "platform/keys.h"

#include <QKeyEvent>

std::uint32_t GameKeyCode(const QKeyEvent& Event) {
  const bool Keypad = Event.modifiers().testFlag(Qt::KeypadModifier);
  const bool Ctrl = Event.modifiers().testFlag(Qt::ControlModifier);
  const bool Alt = Event.modifiers().testFlag(Qt::AltModifier);
  switch (Event.key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter: return Alt ? vkF11 : vkReturn;
  case Qt::Key_Pause:
  case Qt::Key_P: return vkPause;
  case Qt::Key_Escape: return vkEscape;
  case Qt::Key_Space: return vkSpace;
  case Qt::Key_Left: return vkLeft;
  case Qt::Key_Up: return vkUp;
  case Qt::Key_Right: return vkRight;
  case Qt::Key_Down: return vkDown;
  case Qt::Key_Plus: return Ctrl ? kcZoomIn : vkAdd;
  case Qt::Key_Equal: return Keypad ? 0 : Ctrl ? kcZoomIn : vkAdd;
  case Qt::Key_Minus: return Ctrl ? kcZoomOut : vkSubtract;
  case Qt::Key_F1: return vkF1;
  case Qt::Key_F2: return vkF2;
  case Qt::Key_F5: return vkF5;
  case Qt::Key_F7: return vkF7;
  case Qt::Key_F8: return vkF8;
  case Qt::Key_F11: return vkF11;
  default: return 0;
  }
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
      {vkF5, Qt::Key_F5, Qt::NoModifier, ""},           {vkF7, Qt::Key_F7, Qt::NoModifier, ""},
      {vkF8, Qt::Key_F8, Qt::NoModifier, ""},           {vkF11, Qt::Key_F11, Qt::NoModifier, ""},
      {kcZoomIn, Qt::Key_Plus, Qt::ControlModifier, "+"}, {kcZoomOut, Qt::Key_Minus, Qt::ControlModifier, "-"},
  };
  for (const TKey& K : Keys) {
    if (K.Code == Code)
      return new QKeyEvent(QEvent::KeyPress, K.QtKey, K.Modifiers, QString::fromLatin1(K.Text));
  }
  return new QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier);
}
