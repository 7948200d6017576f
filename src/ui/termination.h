#pragma once

#include <functional>

// Runs OnSignal from the event loop when the program is asked to end by
// SIGTERM, SIGINT or SIGHUP (a desktop session logging out, Ctrl-C in a
// terminal, the terminal closed), so that it can close the way a player closes
// it and keep the settings.
void CloseOnTerminationSignals(std::function<void()> OnSignal);

// Runs OnExit when the program is ended from deep inside the window system's
// code instead of returning from its event loop: a broken display connection
// makes it exit at once. OnExit still saves the settings then. An empty
// function disarms it, once the program ends its own way.
void SaveOnSuddenExit(std::function<void()> OnExit);
