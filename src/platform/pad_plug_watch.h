#pragma once

#include <functional>
#include <memory>
#include <string>

// Where pads show up: each as device files named event* and js* in the input
// folder, which itself comes into the devices folder with the first input
// device of the machine.
struct TPadPlaces {
  std::string Devices = "/dev";
  std::string InputName = "input";
  // Look at the folders once a second rather than have the system tell of
  // their changes, as where the system cannot tell.
  bool LookOnly = false;
};

// The shortest time between two notices, however many changes come: changes
// that come meanwhile wait for the next notice.
inline constexpr int PlugNoticeMs = 250;
// While only other files come and go, the watch reads the system's news less
// and less often, down to once in this time.
inline constexpr int PlugLongestRestMs = 1000;
// How often the folders are looked at where the system cannot tell of changes.
inline constexpr int PlugLookMs = 1000;

// Tells when the set of pads may have changed: a pad's device file came, went
// or changed its permissions, or the input folder came or went. The other
// files of those folders (a machine's /dev has hundreds, and programs make
// and remove their own there) are none of its business: they never lead to a
// notice. The watch has a thread of its own, which sleeps until the system
// tells of a change; Notify is called on that thread.
class TPadPlugWatch {
public:
  explicit TPadPlugWatch(std::function<void()> Notify, TPadPlaces Places = {});
  ~TPadPlugWatch();
  TPadPlugWatch(const TPadPlugWatch&) = delete;
  TPadPlugWatch& operator=(const TPadPlugWatch&) = delete;

  // Whether the system tells of changes; otherwise the folders are looked at
  // once a second.
  bool Told() const;

private:
  struct TWatch;
  std::unique_ptr<TWatch> Watch;
};
