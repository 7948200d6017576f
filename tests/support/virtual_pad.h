#pragma once

#include <SDL.h>

// A pad of the standard layout, made by SDL on request: the test plugs it in,
// presses its buttons, leans its stick and pulls it out again.
class TVirtualPad {
public:
  explicit TVirtualPad(Uint16 Type = SDL_JOYSTICK_TYPE_GAMECONTROLLER);
  ~TVirtualPad() { Unplug(); }
  TVirtualPad(const TVirtualPad&) = delete;
  TVirtualPad& operator=(const TVirtualPad&) = delete;

  void Press(SDL_GameControllerButton Button) { SDL_JoystickSetVirtualButton(Joystick, Button, 1); }
  void Release(SDL_GameControllerButton Button) { SDL_JoystickSetVirtualButton(Joystick, Button, 0); }
  void Lean(SDL_GameControllerAxis Axis, Sint16 Value) { SDL_JoystickSetVirtualAxis(Joystick, Axis, Value); }
  void Unplug();

private:
  SDL_Joystick* Joystick = nullptr;
};
