#include <varnicore/DateTime.hxx>

#include <stdexcept>
#include <string>

namespace Corvanthel {
namespace Soa {
namespace Common {

namespace {

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Kept out of line: the constructor runs for every date read, and throws rarely.
[[noreturn]] void rejectField(const char* field, int value, int low, int high) {
  throw std::out_of_range(std::string("DateTime: ") + field + " " + std::to_string(value) +
                          " is outside " + std::to_string(low) + "-" + std::to_string(high));
}

void checkField(const char* field, int value, int low, int high) {
  if (value < low || value > high)
    rejectField(field, value, low, high);
}

}  // namespace

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second) {
  checkField("year", year, 1, 9999);
  checkField("month", month, 1, 12);
  checkField("day", day, 1, daysInMonth(year, month));
  checkField("hour", hour, 0, 23);
  checkField("minute", minute, 0, 59);
  checkField("second", second, 0, 59);
  year_ = static_cast<std::int16_t>(year);
  month_ = static_cast<std::int8_t>(month);
  day_ = static_cast<std::int8_t>(day);
  hour_ = static_cast<std::int8_t>(hour);
  minute_ = static_cast<std::int8_t>(minute);
  second_ = static_cast<std::int8_t>(second);
}

}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
