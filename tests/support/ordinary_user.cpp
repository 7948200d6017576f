#include "support/ordinary_user.h"

#include <sys/wait.h>
#include <unistd.h>

std::string AsOrdinaryUser(const std::function<std::string()>& Body) {
  if (geteuid() != 0)
    return Body();
  int Pipe[2];
  if (pipe(Pipe) != 0)
    return "no pipe";
  const pid_t Child = fork();
  if (Child == 0) {
    close(Pipe[0]);
    std::string Verdict = "cannot become an ordinary user";
    if (setgid(65534) == 0 && setuid(65534) == 0)
      Verdict = Body();
    [[maybe_unused]] const auto Written = write(Pipe[1], Verdict.data(), Verdict.size());
    _exit(0);
  }
  close(Pipe[1]);
  std::string Verdict;
  char Buffer[256];
  for (ssize_t N; (N = read(Pipe[0], Buffer, sizeof Buffer)) > 0;)
    Verdict.append(Buffer, static_cast<std::size_t>(N));
  close(Pipe[0]);
  int Status = 0;
  waitpid(Child, &Status, 0);
  return Verdict;
}
