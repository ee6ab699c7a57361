#include <windows.h>

#include "data/clock.h"

namespace tos {

namespace {
class WinClock final : public Clock {
 public:
  LocalTime Now() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  }
};
}  // namespace

Clock& SystemClock() {
  static WinClock clock;
  return clock;
}

// Read once: every number a table gives as text asks for it, and a run is
// over in seconds.
char DecimalSeparator() {
  static const char separator = [] {
    wchar_t buffer[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) >= 2 &&
        buffer[0] < 0x80 && buffer[1] == 0)
      return static_cast<char>(buffer[0]);
    return '.';
  }();
  return separator;
}

}  // namespace tos
