#include "platform/pad_plug_watch.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

namespace {
// The files a pad reads through: its event device, and the older joystick device.
bool IsPadFile(const char* Name) { return std::strncmp(Name, "event", 5) == 0 || std::strncmp(Name, "js", 2) == 0; }

// A pad's file comes or goes, or changes hands when the system gives it to the player.
constexpr std::uint32_t PadFileChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;
constexpr std::uint32_t FolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;
} // namespace

struct TPadPlugWatch::TWatch {
  std::function<void()> Notify;
  TPadPlaces Places;
  std::string InputPath;
  int Stop = -1;    // written to end the thread
  int Changes = -1; // the system's news of the folders; -1: looked at instead
  int InputWatch = -1;
  int DevicesWatch = -1;
  std::thread Thread;

  bool WatchInput();
  bool ReadChanges(bool& Any);
  bool Rest(int Ms) const;
  void RunTold();
  std::string Survey() const;
  void RunLooking();
};

// Watches the input folder where it is, and otherwise the devices folder for
// it to come. True when the input folder is watched from now on.
bool TPadPlugWatch::TWatch::WatchInput() {
  if (InputWatch >= 0)
    return false;
  InputWatch = inotify_add_watch(Changes, InputPath.c_str(), PadFileChanges | FolderGone | IN_ONLYDIR);
  if (InputWatch >= 0) {
    if (DevicesWatch >= 0)
      inotify_rm_watch(Changes, DevicesWatch);
    DevicesWatch = -1;
    return true;
  }
  if (DevicesWatch >= 0)
    return false;
  DevicesWatch = inotify_add_watch(Changes, Places.Devices.c_str(), IN_CREATE | IN_MOVED_TO | IN_ONLYDIR);
  // The input folder may have come between the two.
  return DevicesWatch >= 0 && WatchInput();
}

// Reads all the news there is; true when some may concern the pads. Any: there was news.
bool TPadPlugWatch::TWatch::ReadChanges(bool& Any) {
  bool Pads = false;
  alignas(inotify_event) char Buffer[16384];
  for (;;) {
    const ssize_t Length = read(Changes, Buffer, sizeof Buffer);
    if (Length < 0 && errno == EINTR)
      continue;
    if (Length <= 0)
      break;
    Any = true;
    for (std::size_t At = 0; At + sizeof(inotify_event) <= static_cast<std::size_t>(Length);) {
      inotify_event Event;
      std::memcpy(&Event, Buffer + At, sizeof Event);
      const char* Name = Buffer + At + sizeof Event;
      At += sizeof Event + Event.len;
      if ((Event.mask & IN_Q_OVERFLOW) != 0) {
        // Too much news at once: some was lost, and may have been a pad's.
        Pads = true;
      } else if (Event.wd == InputWatch) {
        if ((Event.mask & FolderGone) != 0) {
          inotify_rm_watch(Changes, InputWatch);
          InputWatch = -1;
          Pads = true;
        } else if (Event.len > 0 && IsPadFile(Name)) {
          Pads = true;
        }
      } else if (Event.wd == DevicesWatch && Event.len > 0 && Places.InputName == Name) {
        Pads = true;
      }
    }
  }
  // The input folder came, or went and must be waited for again; pads may have
  // come into a new one before it was watched.
  if (WatchInput())
    Pads = true;
  return Pads;
}

// False when the watch is to end.
bool TPadPlugWatch::TWatch::Rest(int Ms) const {
  pollfd Fd{Stop, POLLIN, 0};
  int Ready = 0;
  while ((Ready = poll(&Fd, 1, Ms)) < 0 && errno == EINTR) {
  }
  return Ready == 0;
}

void TPadPlugWatch::TWatch::RunTold() {
  for (;;) {
    pollfd Fds[2] = {{Stop, POLLIN, 0}, {Changes, POLLIN, 0}};
    if (poll(Fds, 2, -1) < 0) {
      if (errno == EINTR)
        continue;
      return;
    }
    if (Fds[0].revents != 0)
      return;
    // The news of a moment is read at once; what comes after it waits for the
    // next reading, a while later, so that a burst of it wakes the watch a few
    // times, not once a change. The longer it goes on without a pad's file
    // among it, the longer the watch sleeps between readings.
    bool Any = false;
    bool Pads = ReadChanges(Any);
    int RestMs = PlugNoticeMs;
    while (Any) {
      if (Pads)
        Notify();
      if (!Rest(RestMs))
        return;
      Any = false;
      Pads = ReadChanges(Any);
      RestMs = Pads ? PlugNoticeMs : std::min(RestMs * 2, PlugLongestRestMs);
    }
  }
}

// The pads' files as they are: their names and the times they last changed.
std::string TPadPlugWatch::TWatch::Survey() const {
  DIR* Dir = opendir(InputPath.c_str());
  if (Dir == nullptr)
    return {};
  std::vector<std::string> Files;
  while (const dirent* Entry = readdir(Dir)) {
    struct stat Status {};
    if (IsPadFile(Entry->d_name) && fstatat(dirfd(Dir), Entry->d_name, &Status, AT_SYMLINK_NOFOLLOW) == 0)
      Files.push_back(std::string(Entry->d_name) + ' ' + std::to_string(Status.st_ctim.tv_sec) + '.' +
                      std::to_string(Status.st_ctim.tv_nsec));
  }
  closedir(Dir);
  std::sort(Files.begin(), Files.end());
  std::string Text = "folder\n";
  for (const std::string& File : Files)
    Text += File + '\n';
  return Text;
}

void TPadPlugWatch::TWatch::RunLooking() {
  std::string Last = Survey();
  while (Rest(PlugLookMs)) {
    std::string Now = Survey();
    if (Now != Last)
      Notify();
    Last = std::move(Now);
  }
}

TPadPlugWatch::TPadPlugWatch(std::function<void()> Notify, TPadPlaces Places) : Watch(std::make_unique<TWatch>()) {
  TWatch& W = *Watch;
  W.Notify = std::move(Notify);
  W.Places = std::move(Places);
  W.InputPath = W.Places.Devices + '/' + W.Places.InputName;
  W.Stop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (W.Stop < 0)
    return;
  if (!W.Places.LookOnly)
    W.Changes = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (W.Changes >= 0) {
    W.WatchInput();
    if (W.InputWatch < 0 && W.DevicesWatch < 0) {
      close(W.Changes);
      W.Changes = -1;
    }
  }
  // The game's signals are for its main thread: the watch's thread starts with them blocked.
  sigset_t All;
  sigset_t Before;
  sigfillset(&All);
  pthread_sigmask(SIG_BLOCK, &All, &Before);
  W.Thread = std::thread([&W] {
    pthread_setname_np(pthread_self(), "clankora-pads");
    if (W.Changes >= 0)
      W.RunTold();
    else
      W.RunLooking();
  });
  pthread_sigmask(SIG_SETMASK, &Before, nullptr);
}

TPadPlugWatch::~TPadPlugWatch() {
  if (Watch->Thread.joinable()) {
    const std::uint64_t One = 1;
    while (write(Watch->Stop, &One, sizeof One) < 0 && errno == EINTR) {
    }
    Watch->Thread.join();
  }
  if (Watch->Changes >= 0)
    close(Watch->Changes);
  if (Watch->Stop >= 0)
    close(Watch->Stop);
}

bool TPadPlugWatch::Told() const { return Watch->Changes >= 0; }
