#include "platform/key_names.h"

#include <QKeySequence>

std::string KeyName(TKeyId Key) {
  const QKeyCombination Combined = QKeyCombination::fromCombined(static_cast<int>(Key));
  return QKeySequence(Combined).toString(QKeySequence::PortableText).toStdString();
}

std::optional<TKeyId> KeyFromName(const std::string& Name) {
  const QKeySequence Sequence = QKeySequence::fromString(QString::fromStdString(Name), QKeySequence::PortableText);
  if (Sequence.count() != 1)
    return std::nullopt;
  const QKeyCombination Combined = Sequence[0];
  if (Combined.key() == Qt::Key_unknown || (Combined.keyboardModifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
    return std::nullopt;
  return static_cast<TKeyId>(Combined.toCombined());
}
