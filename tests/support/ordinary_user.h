#pragma once

#include <functional>
#include <optional>
#include <string>

// Runs Body in a child process of its own and returns what it returned;
// nothing when no child could be started or it did not end normally.
std::optional<std::string> InChildProcess(const std::function<std::string()>& Body);

// Runs Body as an ordinary user (nobody) when the tests run as root, who may
// write anywhere while a player may not; otherwise runs it as it is. Returns
// Body's verdict: empty when everything held, else what went wrong.
std::string AsOrdinaryUser(const std::function<std::string()>& Body);
