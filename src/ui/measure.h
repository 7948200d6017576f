#pragma once

class TFrmMain;

// "--measure SECONDS" (none when Seconds is 0): plays for that long as soon as the first picture is on
// screen, then prints how long that picture took; the main loop's passes per
// second, the share of tick-counter milliseconds it visited while the game
// played, and the changed pictures per second; and the processor time the
// program used (user and system time over wall time) and its wakeups (context
// switches of all its threads per second) while playing and on the win or
// lose screen. Then it closes the window.
void MeasureWhenAsked(int Seconds, TFrmMain& Main);
