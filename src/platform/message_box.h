#pragma once

#include <string>

enum class TMessageIcon { None, Error, Warning, Information };

struct TMessage {
  std::string Title; // empty: the window system's default title
  std::string Text;  // lines separated by "\r\n" or "\n"
  TMessageIcon Icon = TMessageIcon::None;
  bool OwnedByMainWindow = false;
  friend bool operator==(const TMessage&, const TMessage&) = default;
};

// Shows the message with an OK button and waits until the player acknowledges it.
void ShowMessage(const TMessage& Message);

// Where messages go. Tests install a recorder; nullptr restores the real message box.
class TMessageSink {
public:
  virtual ~TMessageSink() = default;
  virtual void Show(const TMessage& Message) = 0;
};
TMessageSink* SetMessageSink(TMessageSink* Sink);
