#pragma once

#include <ostream>
#include <string>

// Synthesises the nine sound effects into Dir (ending with '/') and prints
// each one's length, peak and loudness to Report.
void MakeSounds(const std::string& Dir, std::ostream& Report);
