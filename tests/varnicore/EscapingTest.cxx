#include <string>

#include <gtest/gtest.h>

#include <varnicore/Conversions.hxx>
#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>

#include "XmlLint.hxx"

namespace {

using Corvanthel::Soa::Common::Exceptions::InvalidXmlText;
using namespace Corvanthel::Soa::Common::Xml;

TEST(EscapingTest, EscapesMarkupAndLineEndCharacters) {
  EXPECT_EQ(toXmlString("a&b<c>d\"e'f\tg\rh\ni"),
            "a&amp;b&lt;c&gt;d&quot;e&apos;f&#9;g&#13;h&#10;i");
  std::string out = "kept:";
  appendXmlString(out, "x<");
  EXPECT_EQ(out, "kept:x&lt;");
}

// Every string XML 1.0 can carry comes back from the parser as it was written, as an attribute
// value and as element text.
TEST(EscapingTest, HostileStringsSurviveWriteAndParse) {
  const std::string cases[] = {"",
                               " ",
                               "  leading and trailing  ",
                               "\t",
                               "\r",
                               "\n",
                               "\r\n",
                               "a\r\nb\rc\nd",
                               " \t\r\n ",
                               "<a x=\"1\">&amp;</a>",
                               "\"'\"'",
                               "]]>",
                               "&#10;",
                               "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E",
                               "\x7F",
                               "\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBD\xF4\x8F\xBF\xBF"};
  for (const std::string& value : cases) {
    XmlStream stream;
    stream << stream.writeOpenElement("urn:t", "v")
           << stream.writeAttribute("a", toXmlString(value))
           << stream.writeOpenElementClose("urn:t", false) << toXmlString(value);
    stream << stream.writeOpenElement("urn:t", "w") << stream.writeOpenElementClose("urn:t", false);
    stream.insertEscaped(value);  // the stream's own escaping, into its buffer
    stream << stream.writeCloseElement("urn:t", "w") << stream.writeCloseElement("urn:t", "v");
    const PelagonTest::LintResult lint = PelagonTest::xmllint(stream.str());
    EXPECT_TRUE(lint.ok) << lint.output;
    const XMLDocument document = XMLDocument::parse(stream.str());
    EXPECT_EQ(document.getRootElement().getAttr("a"), value) << stream.str();
    EXPECT_EQ(document.getRootElement().getText(), value) << stream.str();
    EXPECT_EQ(document.getRootElement().getFirstChild().getText(), value) << stream.str();
  }
}

TEST(EscapingTest, RejectsWhatXmlCannotCarryNamingTheOffset) {
  const std::pair<std::string, std::size_t> cases[] = {
      {std::string("ab\0", 3), 2},  // NUL
      {"ab\x01", 2},                // control character
      {"\x1F", 0},                  // control character
      {"x\xEF\xBF\xBE", 1},         // U+FFFE
      {"\xEF\xBF\xBF", 0},          // U+FFFF
      {"\xC0\x80", 0},              // overlong NUL
      {"\xE0\x80\xAF", 1},          // overlong '/'
      {"\xF0\x8F\xBF\xBF", 1},      // overlong U+FFFF
      {"\xED\xA0\x80", 1},          // surrogate
      {"\xF4\x90\x80\x80", 1},      // above U+10FFFF
      {"\xF5\x80\x80\x80", 0},      // invalid lead byte
      {"ok\x80", 2},                // stray continuation byte
      {"\xC3", 0},                  // cut short
      {"\xE2\x82", 0},              // cut short
      {"a\xC3(", 2}};               // not a continuation byte
  for (const auto& [text, offset] : cases) {
    try {
      toXmlString(text);
      ADD_FAILURE() << "accepted byte offset " << offset;
    } catch (const InvalidXmlText& e) {
      EXPECT_NE(std::string(e.what()).find("offset " + std::to_string(offset)), std::string::npos)
          << e.what();
    }
    XmlStream stream;
    EXPECT_THROW(stream.insertEscaped(text), InvalidXmlText) << offset;
    EXPECT_EQ(stream.str(), "");
  }
}

}  // namespace
