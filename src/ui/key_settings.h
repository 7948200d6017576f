#pragma once

#include "ui/key_bindings.h"

#include <iosfwd>
#include <optional>
#include <string>

class TIniFile;

// The player's keys in the settings file, in a section of their own after
// the game's: one line per action or pad button that differs from the
// defaults, the keys by name ("Left=Left,A", "Jump=", "PadB=Bomb").
inline constexpr const char* KeysSection = "Keys";

// An action's keys as the file writes them ("Num++,+"), and back; nothing
// for a list that cannot be read (an unknown name, a name holding a control
// character, a key the player could not choose, more than two keys, a key twice).
std::string KeyListText(const std::array<TKeyId, KeysPerAction>& Keys);
std::optional<std::array<TKeyId, KeysPerAction>> ParseKeyList(const std::string& Text);

// Takes the lines that read; a line that does not keeps its defaults and is
// told once on Report, with the file's name.
void LoadKeys(const TIniFile& IniF, TKeyBindings& Keys, TPadBindings& Pad, std::ostream& Report);
// Writes the lines that differ from what the file holds: a line differing from
// the defaults, or one already there that goes back to them. Throws as the
// file's writes do.
void SaveKeys(TIniFile& IniF, const TKeyBindings& Keys, const TPadBindings& Pad);
