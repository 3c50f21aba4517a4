// A calendar date and time of day, to the second, without time zone.
#ifndef VARNICORE_DATETIME_HXX
#define VARNICORE_DATETIME_HXX

#include <cstdint>

#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {

/// Every DateTime is a valid date of the proleptic Gregorian calendar between the years 1 and
/// 9999, so that its text (see lexical_cast) is always a valid xs:dateTime. The default one is
/// 0001-01-01T00:00:00, the earliest; the six-field constructor throws std::out_of_range for a
/// field outside its range (month 1-12, day 1 to the length of that month, hour 0-23, minute and
/// second 0-59).
class VARNICORE_API DateTime {
 public:
  DateTime() noexcept = default;
  DateTime(int year, int month, int day, int hour, int minute, int second);

  int year() const noexcept { return year_; }
  int month() const noexcept { return month_; }
  int day() const noexcept { return day_; }
  int hour() const noexcept { return hour_; }
  int minute() const noexcept { return minute_; }
  int second() const noexcept { return second_; }

  bool operator==(const DateTime& other) const noexcept {
    return year_ == other.year_ && month_ == other.month_ && day_ == other.day_ &&
           hour_ == other.hour_ && minute_ == other.minute_ && second_ == other.second_;
  }
  bool operator!=(const DateTime& other) const noexcept { return !(*this == other); }

 private:
  // Held in the narrowest types the valid ranges fit, so that objects with many dates stay
  // small; the accessors give ints.
  std::int16_t year_ = 1;
  std::int8_t month_ = 1;
  std::int8_t day_ = 1;
  std::int8_t hour_ = 0;
  std::int8_t minute_ = 0;
  std::int8_t second_ = 0;
};

}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_DATETIME_HXX
