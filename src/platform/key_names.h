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
// that is no single key, or one held with Ctrl, Alt, Shift or Meta.
std::optional<TKeyId> KeyFromName(const std::string& Name);
