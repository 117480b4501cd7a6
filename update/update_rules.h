#pragma once
// When to look for a new release, and what to ask the server.
//
// Times are the high 32 bits of a Windows file time: one unit is 2^32 × 100 ns,
// about 429.5 seconds, so a day is 201.165676 units: coarse, but it fits the
// registry's DWORDs.
#include <cstdint>

#include "base/text.h"

struct ProcessSettings;

constexpr double kUpdateUnitsPerDay = 201.165676;

// The stored time for a full 64-bit file time.
constexpr uint32_t update_time_from_filetime(uint64_t filetime) { return uint32_t(filetime >> 32); }

// Due when both the interval since the last success and the retry time since
// the last attempt have passed. The sums are taken in double, so a huge
// interval from the registry means "never" rather than wrapping round.
bool update_due(const ProcessSettings& p, uint32_t now);

// The request: HTTP/1.0, no Host line, our name and version as the agent.
Text16 update_request_text(const char16_t* resource);
