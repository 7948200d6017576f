#pragma once

#include "platform/message_box.h"

#include <ostream>
#include <vector>

// How a failed comparison shows a message.
inline void PrintTo(const TMessage& M, std::ostream* Out) {
  *Out << "{title \"" << M.Title << "\", text \"" << M.Text << "\", icon " << static_cast<int>(M.Icon)
       << (M.OwnedByMainWindow ? ", owned by the main window}" : ", free-standing}");
}

// Records every message instead of showing it.
class TMessageRecorder : public TMessageSink {
public:
  TMessageRecorder() : Previous(SetMessageSink(this)) {}
  ~TMessageRecorder() override { SetMessageSink(Previous); }
  TMessageRecorder(const TMessageRecorder&) = delete;
  TMessageRecorder& operator=(const TMessageRecorder&) = delete;
  void Show(const TMessage& Message) override { Shown.push_back(Message); }
  std::vector<TMessage> Shown;

private:
  TMessageSink* Previous;
};
