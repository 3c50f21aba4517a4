#include <climits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include <varnicore/Conversions.hxx>
#include <varnicore/DateTime.hxx>
#include <varnicore/Exceptions.hxx>

namespace {

using Corvanthel::Soa::Common::DateTime;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::lexical_cast;

TEST(IntConversionTest, ReadsSignedDecimalsInXmlWhitespace) {
  const std::pair<std::string, int> cases[] = {{"", 0},
                                               {" \t\r\n", 0},
                                               {" 7 ", 7},
                                               {"+1", 1},
                                               {"-0", 0},
                                               {"007", 7},
                                               {"2147483647", INT_MAX},
                                               {"-2147483648", INT_MIN},
                                               {"\n-12\t", -12}};
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(lexical_cast<int>(text), value) << '"' << text << '"';
  }
}

TEST(IntConversionTest, RejectsAnythingElseNamingTheText) {
  for (const std::string text :
       {"2147483648", "-2147483649", "12abc", "1e3", "0x10", "+", "-", "+-1", "-+1", "1 2", "1.0",
        "\xC2\xA0"
        "1",
        "99999999999999999999"}) {
    try {
      lexical_cast<int>(text);
      ADD_FAILURE() << "accepted \"" << text << '"';
    } catch (const DomException& e) {
      EXPECT_NE(e.getMessage().find('"' + text + '"'), std::string::npos) << e.getMessage();
    }
  }
}

TEST(IntConversionTest, WritesWhatItReads) {
  for (int value : {INT_MIN, -1, 0, 9, 10, 1234567, INT_MAX}) {
    const std::string text = lexical_cast<std::string>(value);
    EXPECT_EQ(lexical_cast<int>(text), value);
    EXPECT_EQ(text, std::to_string(value));
  }
}

TEST(DateTimeTest, ConstructorFollowsTheGregorianCalendar) {
  EXPECT_NO_THROW(DateTime(2000, 2, 29, 0, 0, 0));
  EXPECT_NO_THROW(DateTime(2024, 2, 29, 0, 0, 0));
  EXPECT_NO_THROW(DateTime(9999, 12, 31, 23, 59, 59));
  EXPECT_THROW(DateTime(1900, 2, 29, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(DateTime(2023, 2, 29, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(DateTime(2023, 4, 31, 0, 0, 0), std::out_of_range);
  const int bad[][6] = {{0, 1, 1, 0, 0, 0},  {10000, 1, 1, 0, 0, 0}, {1, 0, 1, 0, 0, 0},
                        {1, 13, 1, 0, 0, 0}, {1, 1, 0, 0, 0, 0},     {1, 1, 32, 0, 0, 0},
                        {1, 1, 1, 24, 0, 0}, {1, 1, 1, -1, 0, 0},    {1, 1, 1, 0, 60, 0},
                        {1, 1, 1, 0, 0, 60}};
  for (const auto& f : bad) {
    EXPECT_THROW(DateTime(f[0], f[1], f[2], f[3], f[4], f[5]), std::out_of_range) << f[0];
  }
  try {
    DateTime(2023, 6, 31, 0, 0, 0);
    ADD_FAILURE();
  } catch (const std::out_of_range& e) {
    EXPECT_NE(std::string(e.what()).find("day"), std::string::npos) << e.what();
  }
}

TEST(DateTimeTest, TextIsZeroPaddedAndReadsBack) {
  EXPECT_EQ(lexical_cast<std::string>(DateTime()), "0001-01-01T00:00:00");
  const DateTime value(987, 6, 5, 4, 3, 2);
  EXPECT_EQ(lexical_cast<std::string>(value), "0987-06-05T04:03:02");
  EXPECT_EQ(lexical_cast<DateTime>(std::string(" 0987-06-05T04:03:02\n")), value);
  EXPECT_EQ(lexical_cast<DateTime>(std::string(" \t")), DateTime());
}

TEST(DateTimeTest, RejectsOtherFormsAndImpossibleDates) {
  for (const std::string text :
       {"2024-02-30T00:00:00", "0000-01-01T00:00:00", "2024-1-01T00:00:00", "2024-01-01 00:00:00",
        "2024-01-01T00:00:00Z", "2024-01-01T00:00:00.5", "2024-01-01", "+024-01-01T00:00:00",
        "2024-01-01T24:00:00", "2024/01/01T00:00:00"}) {
    try {
      lexical_cast<DateTime>(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const DomException& e) {
      EXPECT_NE(e.getMessage().find('"' + text + '"'), std::string::npos) << e.getMessage();
    }
  }
}

}  // namespace
