#include "support/ordinary_user.h"

#include <sys/wait.h>
#include <unistd.h>

std::optional<std::string> InChildProcess(const std::function<std::string()>& Body) {
  int Pipe[2];
  if (pipe(Pipe) != 0)
    return std::nullopt;
  const pid_t Child = fork();
  if (Child == 0) {
    close(Pipe[0]);
    const std::string Said = Body();
    [[maybe_unused]] const auto Written = write(Pipe[1], Said.data(), Said.size());
    _exit(0);
  }
  close(Pipe[1]);
  std::string Said;
  char Buffer[256];
  for (ssize_t N; (N = read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
    Said.append(Buffer, static_cast<std::size_t>(N));
  close(Pipe[0]);
  int Status = 0;
  if (Child < 0 || waitpid(Child, &Status, 0) != Child || !WIFEXITED(Status) || WEXITSTATUS(Status) != 0)
    return std::nullopt;
  return Said;
}

std::string AsOrdinaryUser(const std::function<std::string()>& Body) {
  if (geteuid() != 0)
    return Body();
  const std::optional<std::string> Verdict = InChildProcess([&Body] {
    if (setgid(65534) != 0 || setuid(65534) != 0)
      return std::string("cannot become an ordinary user");
    return Body();
  });
  return Verdict.value_or("the ordinary user's part did not run to its end");
}
