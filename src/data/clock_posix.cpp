#include <clocale>
#include <ctime>

#include "data/clock.h"

namespace tos {

namespace {
class PosixClock final : public Clock {
 public:
  LocalTime Now() override {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
  }
};
}  // namespace

Clock& SystemClock() {
  static PosixClock clock;
  return clock;
}

char DecimalSeparator() {
  const std::lconv* conv = std::localeconv();
  if (conv && conv->decimal_point && conv->decimal_point[0] && !conv->decimal_point[1])
    return conv->decimal_point[0];
  return '.';
}

}  // namespace tos
