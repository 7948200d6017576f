#include "ui/termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int SignalPipe[2] = {-1, -1};

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
    OnSignal();
  });
  struct sigaction Action {};
  Action.sa_handler = OnTerminationSignal;
  sigemptyset(&Action.sa_mask);
  Action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &Action, nullptr);
  sigaction(SIGINT, &Action, nullptr);
}
