#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A key of the keyboard as the window system numbers it, with the keypad's
// keys told apart from the main keyboard's (keypad + is not the main +).
// 0 is no key.
using TKeyId = std::uint32_t;

// The key's name as the settings file keeps it: "Left", "A", "Space", "Num++".
std::string KeyName(TKeyId Key);

// The key a name stands for, in any case ("left", "Num+-"); nothing for a name
// that is no single key, one held with Ctrl, Alt, Shift or Meta, or one
// holding a control character (a stray NUL or line break is no key's name).
std::optional<TKeyId> KeyFromName(const std::string& Name);

// Whether the key's name reads back as the same key. Some keys have none that
// does: AltGr, Multi_key, the dead accents, Hyper and the like are given a
// name made of unreadable characters, and µ and ÿ the name of their capital,
// which is another key.
bool KeyNameReadsBack(TKeyId Key);

// The key as the player reads it: its name where that reads back, otherwise
// its character (µ) or the window system's word for it ("AltGr", "Dead_Grave").
std::string KeyCaption(TKeyId Key);
