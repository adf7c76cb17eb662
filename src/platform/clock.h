// The local clock, read from the system.
#ifndef FLOWSVG_PLATFORM_CLOCK_H_
#define FLOWSVG_PLATFORM_CLOCK_H_

#include "base/clock.h"

// The local date and time to the second; -1 when it cannot be read.
Timestamp currentTime();

#endif  // FLOWSVG_PLATFORM_CLOCK_H_
