#include "platform/key_names.h"

#include <QKeySequence>
#include <QMetaEnum>

namespace {
constexpr TKeyId Keypad = Qt::KeypadModifier;

// C0 and C1 controls, DEL, and the stand-in for bytes that are no UTF-8.
bool HasControl(const QString& Text) {
  for (const QChar Ch : Text) {
    const char16_t U = Ch.unicode();
    if (U < 0x20 || (U >= 0x7f && U < 0xa0) || Ch == QChar::ReplacementCharacter)
      return true;
  }
  return false;
}
} // namespace

std::string KeyName(TKeyId Key) {
  const QKeyCombination Combined = QKeyCombination::fromCombined(static_cast<int>(Key));
  return QKeySequence(Combined).toString(QKeySequence::PortableText).toStdString();
}

std::optional<TKeyId> KeyFromName(const std::string& Name) {
  const QString Text = QString::fromStdString(Name);
  if (HasControl(Text))
    return std::nullopt;
  const QKeySequence Sequence = QKeySequence::fromString(Text, QKeySequence::PortableText);
  if (Sequence.count() != 1)
    return std::nullopt;
  const QKeyCombination Combined = Sequence[0];
  if (Combined.key() == Qt::Key_unknown || Combined.key() == Qt::Key(0) ||
      (Combined.keyboardModifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
    return std::nullopt;
  return static_cast<TKeyId>(Combined.toCombined());
}

bool KeyNameReadsBack(TKeyId Key) { return Key != 0 && KeyFromName(KeyName(Key)) == Key; }

std::string KeyCaption(TKeyId Key) {
  if (KeyNameReadsBack(Key))
    return KeyName(Key);
  const std::string Pad = (Key & Keypad) != 0 ? "Num+" : "";
  const TKeyId Plain = Key & ~Keypad;
  if (Plain >= 0xa0 && Plain <= 0xff)
    return Pad + QString(QChar(static_cast<char16_t>(Plain))).toStdString();
  if (const char* Word = QMetaEnum::fromType<Qt::Key>().valueToKey(static_cast<int>(Plain)))
    return Pad + (std::string(Word).starts_with("Key_") ? Word + 4 : Word);
  return Pad + "key " + QString::number(Plain, 16).prepend(QStringLiteral("0x")).toStdString();
}
