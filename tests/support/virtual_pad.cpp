#include "support/virtual_pad.h"

#include <gtest/gtest.h>

TVirtualPad::TVirtualPad(Uint16 Type) {
  SDL_VirtualJoystickDesc Desc{};
  Desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  Desc.type = Type;
  Desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  Desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
  Desc.button_mask = (1u << Desc.nbuttons) - 1;
  Desc.axis_mask = (1u << Desc.naxes) - 1;
  Desc.name = "Test pad";
  const int Index = SDL_JoystickAttachVirtualEx(&Desc);
  EXPECT_GE(Index, 0) << SDL_GetError();
  Joystick = SDL_JoystickOpen(Index);
  EXPECT_NE(Joystick, nullptr) << SDL_GetError();
}

void TVirtualPad::Unplug() {
  if (Joystick == nullptr)
    return;
  // When SDL's joysticks end, so do their virtual pads.
  if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0) {
    Joystick = nullptr;
    return;
  }
  const SDL_JoystickID Id = SDL_JoystickInstanceID(Joystick);
  SDL_JoystickClose(Joystick);
  Joystick = nullptr;
  for (int I = 0; I < SDL_NumJoysticks(); ++I)
    if (SDL_JoystickGetDeviceInstanceID(I) == Id)
      SDL_JoystickDetachVirtual(I);
}
