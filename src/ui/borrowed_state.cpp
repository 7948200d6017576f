#include "ui/borrowed_state.h"

#include "platform/message_box_qt.h"
#include "platform/random.h"
#include "platform/tick.h"
#include "shared/sound_cues.h"
#include "ui/key_map.h"

TBorrowedState::TBorrowedState() : Taken(Now()) { SetSoundCueSink(nullptr); }

TBorrowedState::~TBorrowedState() {
  SetRandomState(Taken.RandomState);
  SetRandomSource(Taken.Draws);
  SetSeedSource(Taken.Seeds);
  SetTickSource(Taken.Ticks);
  SetOutsideClockStop(Taken.ClockStop);
  SetSoundCueSink(Taken.Cues);
  SetMessageOwnerWindow(Taken.MessageOwner);
  UseKeyBindings(Taken.Keys);
  GamepadSetButtonKeys(Taken.PadButtons);
}

TBorrowedState::TTaken TBorrowedState::Now() {
  return {RandomState(),     RandomSourceInUse(),   SeedSourceInUse(), TickSourceInUse(),  OutsideClockStop(),
          SoundCueSinkInUse(), MessageOwnerWindow(), KeyBindingsInUse(), GamepadButtonKeys()};
}
