#include <sys/time.h>

#include <ctime>

#include "env/text.h"

LocalTime LocalNow() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  const time_t seconds = tv.tv_sec;
  tm parts{};
  localtime_r(&seconds, &parts);
  LocalTime t;
  t.year = parts.tm_year + 1900;
  t.month = parts.tm_mon + 1;
  t.day = parts.tm_mday;
  t.hour = parts.tm_hour;
  t.minute = parts.tm_min;
  t.second = parts.tm_sec;
  t.millisecond = int(tv.tv_usec / 1000);
  return t;
}

// Native tools have no user locale to ask; these are the defaults of the rules.
std::string SystemDateSeparator() { return "/"; }
std::string SystemTimeSeparator() { return ":"; }
