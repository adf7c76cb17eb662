// The date stamp written into every drawing, as calendar arithmetic only
// (the clock itself is read by platform/clock.h).
//
// A Timestamp counts seconds since 1970-01-01 00:00:00 on the local wall
// clock: the local date and time are converted as if they were UTC, so local
// midnight of 1970-01-01 is 0 in every time zone. -1 stands for no time.
#ifndef FLOWSVG_BASE_CLOCK_H_
#define FLOWSVG_BASE_CLOCK_H_

#include <cstdint>

#include "base/strings.h"

using Timestamp = int64_t;

// Converts a calendar date and time (taken as UTC) to a timestamp.
Timestamp timestampFromFields(int year, int month, int day, int hour,
                              int minute, int second);

// Writes the timestamp out by the mask: "%yyyy", "%yy", "%mm", "%dd", "%hh",
// "%ii" and "%ss" (in any ASCII case) become the year, two-digit year, month,
// day, hour, minute and second; every other character is copied. Empty for
// an empty mask, the timestamp -1 or a timestamp without a calendar date.
Text formatTimestamp(TextView mask, Timestamp time);

#endif  // FLOWSVG_BASE_CLOCK_H_
