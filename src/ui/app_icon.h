#pragma once

// Gives the application the robot icon and the name "clankora" that desktops
// use to match the running window with its launcher and its icon theme entry.
void SetAppIdentity();
