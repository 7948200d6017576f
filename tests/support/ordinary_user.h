#pragma once

#include <functional>
#include <string>

// Runs Body as an ordinary user (nobody) when the tests run as root, who may
// write anywhere while a player may not; otherwise runs it as it is. Returns
// Body's verdict: empty when everything held, else what went wrong.
std::string AsOrdinaryUser(const std::function<std::string()>& Body);
