#pragma once

#include <functional>

// Runs OnSignal from the event loop when the program is asked to end by
// SIGTERM or SIGINT (a desktop session logging out, Ctrl-C in a terminal), so
// that it can close the way a player closes it and keep the settings.
void CloseOnTerminationSignals(std::function<void()> OnSignal);
