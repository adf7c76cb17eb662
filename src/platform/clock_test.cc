#include "platform/clock.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <vector>

namespace {

constexpr TextView kMask = u"%yyyy-%mm-%dd %hh:%ii:%ss";

TEST(ClockTest, FormatTimestamp) {
  const Timestamp t = timestampFromFields(2026, 12, 9, 14, 3, 59);
  struct Case {
    Text mask;
    Timestamp time;
    Text expected;
  };
  const Case cases[] = {
      {Text(kMask), t, u"2026-12-09 14:03:59"},
      {Text(kMask), 0, u"1970-01-01 00:00:00"},
      {Text(kMask), -1, u""},
      {u"", t, u""},
      {u"100%", t, u"100%"},
      {u"%%dd", t, u"%09"},
      {u"%YYYY", t, u"2026"},
      {u"%yy/%MM/%Dd", t, u"26/12/09"},
      {u"%Y-%m-%d %H:%M:%S", t, u"%Y-%m-%d %H:%M:%S"},
      {u"%y%", t, u"%y%"},
      {u"%ii%ss%hh", t, u"035914"},
      {Text(kMask), timestampFromFields(2024, 2, 29, 23, 59, 59),
       u"2024-02-29 23:59:59"},
      {Text(kMask), timestampFromFields(1969, 12, 31, 23, 0, 0),
       u"1969-12-31 23:00:00"},
      {Text(kMask), timestampFromFields(1601, 1, 1, 0, 0, 0),
       u"1601-01-01 00:00:00"},
      {Text(kMask), timestampFromFields(1600, 12, 31, 0, 0, 0), u""},
      {Text(kMask), INT64_MAX, u""},
      {Text(kMask), INT64_MIN, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatTimestamp(c.mask, c.time), c.expected);
  }
}

// The C runtime's reading of the local wall clock at t, as a timestamp.
Timestamp localTimeAsIfUtc(time_t t) {
  struct tm local;
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  return timestampFromFields(local.tm_year + 1900, local.tm_mon + 1,
                             local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

TEST(ClockTest, CurrentTimeIsLocalWallClockAsIfUtc) {
  // Whatever the zone, the stamp shows the local wall-clock date and time.
#ifdef _WIN32
  // The zone is the system's; a test cannot change it without privileges.
  const std::vector<const char*> zones = {nullptr};
#else
  const std::vector<const char*> zones = {"UTC", "Asia/Tokyo",
                                          "America/New_York", "XYZ+5"};
#endif
  for (const char* zone : zones) {
#ifndef _WIN32
    setenv("TZ", zone, 1);
    tzset();
#endif
    time_t before = time(nullptr);
    Timestamp now = currentTime();
    Timestamp expected = localTimeAsIfUtc(before);
    EXPECT_LE(expected, now) << (zone ? zone : "system zone");
    EXPECT_LE(now - expected, 2) << (zone ? zone : "system zone");
  }
#ifndef _WIN32
  unsetenv("TZ");
  tzset();
#endif
  // Local midnight of 1970-01-01 is 0 in every zone.
  EXPECT_EQ(timestampFromFields(1970, 1, 1, 0, 0, 0), 0);
}

}  // namespace
