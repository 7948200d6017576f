#pragma once

#include "platform/message_box.h"

#include <vector>

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
