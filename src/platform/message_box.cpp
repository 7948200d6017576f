#include "platform/message_box.h"
#include "platform/message_box_qt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <cstdio>

namespace {
TMessageSink* Sink = nullptr;
QPointer<QWidget> OwnerWindow;

QMessageBox::Icon ToQt(TMessageIcon Icon) {
  switch (Icon) {
  case TMessageIcon::Error: return QMessageBox::Critical;
  case TMessageIcon::Warning: return QMessageBox::Warning;
  case TMessageIcon::Information: return QMessageBox::Information;
  case TMessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}
} // namespace

void SetMessageOwnerWindow(QWidget* Owner) { OwnerWindow = Owner; }
QWidget* MessageOwnerWindow() { return OwnerWindow; }

TMessageSink* SetMessageSink(TMessageSink* NewSink) {
  TMessageSink* Old = Sink;
  Sink = NewSink;
  return Old;
}

void ShowMessage(const TMessage& Message) {
  if (Sink != nullptr) {
    Sink->Show(Message);
    return;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    // No window system to ask: the message still reaches the player.
    std::fprintf(stderr, "%s%s%s\n", Message.Title.c_str(), Message.Title.empty() ? "" : ": ", Message.Text.c_str());
    return;
  }
  QString Text = QString::fromUtf8(Message.Text.c_str());
  Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QWidget* Parent = Message.OwnedByMainWindow ? OwnerWindow.data() : nullptr;
  QMessageBox Box(ToQt(Message.Icon), QString::fromUtf8(Message.Title.c_str()), Text, QMessageBox::Ok, Parent);
  Box.exec();
}
