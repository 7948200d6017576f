#include "platform/gamepad.h"

#include "platform/keys.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {
enum TDirection { dLeft, dUp, dRight, dDown, DirectionCount };
constexpr std::uint32_t DirectionKeys[DirectionCount] = {vkLeft, vkUp, vkRight, vkDown};

struct TPad {
  SDL_GameController* Controller;
  SDL_JoystickID Id;
  std::array<bool, DirectionCount> DPad{};
  std::array<bool, DirectionCount> Stick{};
  bool Held(int Direction) const { return DPad[Direction] || Stick[Direction]; }
};

// The direction that repeats: the one pressed last while it is held.
struct TRepeating {
  bool Active = false;
  SDL_JoystickID Pad = 0;
  int Direction = 0;
  std::uint32_t Due = 0; // when its next repeat is due
};

struct TPads {
  TTickSource* Clock = nullptr;
  bool Started = false;
  int Users = 0; // each window that reads pads, a replay's hidden one too
  std::vector<TPad> Open;
  TRepeating Repeating;
  TKeyRepeat Repeat = DefaultKeyRepeat;
  TPadButtonKeys ButtonKeys = DefaultPadButtonKeys;
};

constinit TPads Pads;

// The stick's full travel is 32767 either way.
const Sint16 StickPress = static_cast<Sint16>(std::lround(32767 * StickPressShare));
const Sint16 StickRelease = static_cast<Sint16>(std::lround(32767 * StickReleaseShare));

std::uint32_t Now() {
  return Pads.Clock != nullptr ? Pads.Clock->Now() : SteadyTickCount();
}

TPad* FindPad(SDL_JoystickID Id) {
  for (TPad& Pad : Pads.Open)
    if (Pad.Id == Id)
      return &Pad;
  return nullptr;
}

void OpenPad(int DeviceIndex) {
  if (!SDL_IsGameController(DeviceIndex))
    return;
  if (FindPad(SDL_JoystickGetDeviceInstanceID(DeviceIndex)) != nullptr)
    return;
  SDL_GameController* Controller = SDL_GameControllerOpen(DeviceIndex);
  if (Controller == nullptr)
    return;
  const SDL_JoystickID Id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(Controller));
  Pads.Open.push_back(TPad{Controller, Id});
}

// Forgets the pad: whatever it held is let go of, so nothing keeps repeating.
void ClosePad(SDL_JoystickID Id) {
  const auto It = std::find_if(Pads.Open.begin(), Pads.Open.end(), [Id](const TPad& Pad) { return Pad.Id == Id; });
  if (It == Pads.Open.end())
    return;
  if (Pads.Repeating.Active && Pads.Repeating.Pad == Id)
    Pads.Repeating.Active = false;
  SDL_GameControllerClose(It->Controller);
  Pads.Open.erase(It);
}

// Sets one source of a direction (D-pad or stick) and gives the direction's
// key when the pad goes from not holding it to holding it.
void SetDirection(TPad& Pad, std::array<bool, DirectionCount>& Source, int Direction, bool Down,
                  std::vector<std::uint32_t>& Keys) {
  const bool Was = Pad.Held(Direction);
  Source[Direction] = Down;
  const bool Is = Pad.Held(Direction);
  if (!Was && Is) {
    Keys.push_back(DirectionKeys[Direction]);
    Pads.Repeating = {true, Pad.Id, Direction, Now() + Pads.Repeat.Delay};
  } else if (Was && !Is && Pads.Repeating.Active && Pads.Repeating.Pad == Pad.Id &&
             Pads.Repeating.Direction == Direction) {
    Pads.Repeating.Active = false;
  }
}

void OnButton(TPad& Pad, Uint8 Button, bool Down, std::vector<std::uint32_t>& Keys) {
  switch (Button) {
  case SDL_CONTROLLER_BUTTON_DPAD_LEFT: SetDirection(Pad, Pad.DPad, dLeft, Down, Keys); return;
  case SDL_CONTROLLER_BUTTON_DPAD_UP: SetDirection(Pad, Pad.DPad, dUp, Down, Keys); return;
  case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: SetDirection(Pad, Pad.DPad, dRight, Down, Keys); return;
  case SDL_CONTROLLER_BUTTON_DPAD_DOWN: SetDirection(Pad, Pad.DPad, dDown, Down, Keys); return;
  default: break;
  }
  constexpr SDL_GameControllerButton Buttons[] = {
      SDL_CONTROLLER_BUTTON_A,    SDL_CONTROLLER_BUTTON_B,            SDL_CONTROLLER_BUTTON_START,
      SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
  if (!Down)
    return;
  for (std::size_t I = 0; I < std::size(Buttons); ++I)
    if (Buttons[I] == Button && Pads.ButtonKeys[I] != 0)
      Keys.push_back(Pads.ButtonKeys[I]);
}

// One axis of the left stick holds one of two opposite directions, or none.
void OnStickAxis(TPad& Pad, int Negative, int Positive, Sint16 Value, std::vector<std::uint32_t>& Keys) {
  const auto Leans = [&Pad](int Direction, int Travel) {
    return Travel > (Pad.Stick[Direction] ? StickRelease : StickPress);
  };
  const bool NegativeHeld = Leans(Negative, -static_cast<int>(Value));
  const bool PositiveHeld = Leans(Positive, Value);
  // Letting go first, so that a flick from one side to the other repeats the new side.
  if (!NegativeHeld)
    SetDirection(Pad, Pad.Stick, Negative, false, Keys);
  if (!PositiveHeld)
    SetDirection(Pad, Pad.Stick, Positive, false, Keys);
  if (NegativeHeld)
    SetDirection(Pad, Pad.Stick, Negative, true, Keys);
  if (PositiveHeld)
    SetDirection(Pad, Pad.Stick, Positive, true, Keys);
}

void OnEvent(const SDL_Event& Event, std::vector<std::uint32_t>& Keys) {
  switch (Event.type) {
  case SDL_CONTROLLERDEVICEADDED: OpenPad(Event.cdevice.which); return;
  case SDL_CONTROLLERDEVICEREMOVED: ClosePad(Event.cdevice.which); return;
  case SDL_CONTROLLERBUTTONDOWN:
  case SDL_CONTROLLERBUTTONUP:
    if (TPad* Pad = FindPad(Event.cbutton.which))
      OnButton(*Pad, Event.cbutton.button, Event.type == SDL_CONTROLLERBUTTONDOWN, Keys);
    return;
  case SDL_CONTROLLERAXISMOTION:
    if (TPad* Pad = FindPad(Event.caxis.which)) {
      if (Event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
        OnStickAxis(*Pad, dLeft, dRight, Event.caxis.value, Keys);
      else if (Event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
        OnStickAxis(*Pad, dUp, dDown, Event.caxis.value, Keys);
    }
    return;
  default: return;
  }
}

// The unsigned difference stays right when the clock wraps around.
bool Reached(std::uint32_t Now, std::uint32_t Time) { return static_cast<std::int32_t>(Now - Time) >= 0; }

// A repeat that fell behind (the game was busy) is given once, not as a burst.
void RepeatHeldDirection(std::vector<std::uint32_t>& Keys) {
  TRepeating& R = Pads.Repeating;
  if (!R.Active)
    return;
  const std::uint32_t Time = Now();
  if (!Reached(Time, R.Due))
    return;
  Keys.push_back(DirectionKeys[R.Direction]);
  R.Due += std::max<std::uint32_t>(Pads.Repeat.Interval, 1);
  if (Reached(Time, R.Due))
    R.Due = Time + std::max<std::uint32_t>(Pads.Repeat.Interval, 1);
}
} // namespace

bool GamepadInit() {
  if (Pads.Started) {
    ++Pads.Users;
    return true;
  }
  // Otherwise SDL takes over Ctrl-C and termination, and the game would ignore them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The game has no SDL window, so SDL would take it for one in the background.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
    return false;
  Pads.Started = true;
  Pads.Users = 1;
  for (int I = 0; I < SDL_NumJoysticks(); ++I)
    OpenPad(I);
  return true;
}

void GamepadFree() {
  if (!Pads.Started || --Pads.Users > 0)
    return;
  while (!Pads.Open.empty())
    ClosePad(Pads.Open.back().Id);
  // What the pads said is no one's business any more; the sound's use of SDL goes on.
  SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_CONTROLLERSENSORUPDATE);
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  Pads.Started = false;
  Pads.Repeating = {};
}

std::vector<std::uint32_t> GamepadPoll() {
  std::vector<std::uint32_t> Keys;
  if (!Pads.Started)
    return Keys;
  SDL_Event Event;
  while (SDL_PollEvent(&Event) != 0)
    OnEvent(Event, Keys);
  RepeatHeldDirection(Keys);
  return Keys;
}

std::size_t GamepadCount() { return Pads.Open.size(); }

void GamepadSetRepeat(TKeyRepeat Repeat) { Pads.Repeat = Repeat; }

void GamepadSetButtonKeys(const TPadButtonKeys& Keys) { Pads.ButtonKeys = Keys; }
TPadButtonKeys GamepadButtonKeys() { return Pads.ButtonKeys; }

void GamepadSetClock(TTickSource* Clock) { Pads.Clock = Clock; }
