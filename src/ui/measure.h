#pragma once

class TFrmMain;

// "--measure SECONDS": plays for that long as soon as the first picture is on
// screen, then prints how long that picture took and how many passes of the
// main loop ran per second, and closes the window.
void MeasureWhenAsked(int argc, char** argv, TFrmMain& Main);
