#include "ui/termination.h"

#include "platform/message_box.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int SignalPipe[2] = {-1, -1};

// With the display gone no message box can be shown; the terminal may still listen.
class TStderrMessages : public TMessageSink {
public:
  TStderrMessages() : Previous(SetMessageSink(this)) {}
  ~TStderrMessages() override { SetMessageSink(Previous); }
  TStderrMessages(const TStderrMessages&) = delete;
  TStderrMessages& operator=(const TStderrMessages&) = delete;
  void Show(const TMessage& Message) override { std::fprintf(stderr, "%s\n", Message.Text.c_str()); }

private:
  TMessageSink* Previous;
};

// Ending by a signal (a logout, a kill): nobody may be there to click a
// message away, so from now on every message goes to the terminal, and a box
// already waiting is closed.
void StopWaitingForThePlayer() {
  static const auto* Quiet = new TStderrMessages(); // to the process's end, like the ending itself
  (void)Quiet;
  if (QWidget* Box = QApplication::activeModalWidget())
    Box->close();
}

extern "C" void OnTerminationSignal(int) {
  const char Byte = 1;
  // Only a write is safe inside a signal handler; the event loop does the rest.
  [[maybe_unused]] const auto Written = ::write(SignalPipe[0], &Byte, 1);
}
} // namespace

void CloseOnTerminationSignals(std::function<void()> OnSignal) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalPipe) != 0)
    return;
  auto* Notifier = new QSocketNotifier(SignalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(Notifier, &QSocketNotifier::activated, Notifier, [OnSignal = std::move(OnSignal)] {
    char Byte = 0;
    [[maybe_unused]] const auto Read = ::read(SignalPipe[1], &Byte, 1);
    StopWaitingForThePlayer();
    OnSignal();
  });
  struct sigaction Action {};
  Action.sa_handler = OnTerminationSignal;
  sigemptyset(&Action.sa_mask);
  Action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &Action, nullptr);
  sigaction(SIGINT, &Action, nullptr);
  sigaction(SIGHUP, &Action, nullptr);
}

namespace {
// Left to the process's end on purpose: it must outlive everything it saves.
std::function<void()>& SuddenExitHandler() {
  static auto* Handler = new std::function<void()>();
  return *Handler;
}

extern "C" void OnSuddenExit() {
  std::function<void()> Handler = std::exchange(SuddenExitHandler(), nullptr);
  if (!Handler)
    return;
  TStderrMessages Messages;
  Handler();
}
} // namespace

void SaveOnSuddenExit(std::function<void()> OnExit) {
  static const bool Registered = std::atexit(OnSuddenExit) == 0;
  (void)Registered;
  SuddenExitHandler() = std::move(OnExit);
}
