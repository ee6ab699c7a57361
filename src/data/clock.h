// The local date and time, behind a seam so that tests can fix it.
#pragma once

namespace tos {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
};

// The machine's local clock.
Clock& SystemClock();

// The decimal separator of the user's settings: the Windows locale's on
// Windows, the C library's (after setlocale) elsewhere.
char DecimalSeparator();

}  // namespace tos
