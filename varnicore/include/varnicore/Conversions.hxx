// Text conversions and escaping used when values are written to and read from XML.
//
// Every value survives a write and a read unchanged: strings (any text XML 1.0 can carry,
// including leading and trailing blanks, tabs, CR and LF), ints and DateTimes.
#ifndef VARNICORE_CONVERSIONS_HXX
#define VARNICORE_CONVERSIONS_HXX

#include <string>
#include <string_view>

#include <varnicore/DateTime.hxx>
#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

template <typename Target, typename Source>
struct LexicalCastUnsupported {
  static constexpr bool value = false;
};

/// The conversions between values and their XML text. Supported:
/// - lexical_cast<std::string>(int): decimal, with "-" for negatives, no leading zeros.
/// - lexical_cast<std::string>(DateTime): "YYYY-MM-DDThh:mm:ss", a valid xs:dateTime. The text
///   is longer than a string's own small buffer; its storage comes from a spare string that each
///   thread keeps, and that XmlStream::writeAttribute hands back, so writing a date allocates
///   nothing after the first.
/// - lexical_cast<int>(std::string): an optionally signed ("+" or "-") decimal that fits in 32
///   bits, with optional XML whitespace (space, tab, CR, LF) around it. Empty or all-whitespace
///   text gives 0, so an absent attribute reads as 0. Anything else, overflow included, throws
///   DomException naming the text.
/// - lexical_cast<DateTime>(std::string): exactly the form written above, with optional XML
///   whitespace around it and a valid date and time (no fractional seconds, no time zone).
///   Empty or all-whitespace text gives the default DateTime. Anything else throws DomException
///   naming the text.
template <typename Target, typename Source>
Target lexical_cast(const Source& value) {
  static_assert(LexicalCastUnsupported<Target, Source>::value,
                "lexical_cast converts int and DateTime to std::string and back, nothing else");
  (void)value;
  return Target();
}

template <>
VARNICORE_API std::string lexical_cast<std::string, int>(const int& value);
template <>
VARNICORE_API std::string lexical_cast<std::string, DateTime>(const DateTime& value);
template <>
VARNICORE_API int lexical_cast<int, std::string>(const std::string& text);
template <>
VARNICORE_API DateTime lexical_cast<DateTime, std::string>(const std::string& text);
/// The same reading conversions for text that is looked at in place (XMLNode::getAttrView).
template <>
VARNICORE_API int lexical_cast<int, std::string_view>(const std::string_view& text);
template <>
VARNICORE_API DateTime lexical_cast<DateTime, std::string_view>(const std::string_view& text);

/// Escapes text for an attribute value or element content: & < > " ' become the predefined
/// entities, and tab, CR and LF become character references (&#9; &#13; &#10;) so that a parser
/// gives them back unchanged instead of normalising them. Throws
/// Exceptions::InvalidXmlText for text that XML 1.0 cannot carry (see there).
VARNICORE_API std::string toXmlString(const std::string& text);

/// As toXmlString, appending to out; what was in out stays. On InvalidXmlText, out may hold part
/// of the escaped text.
VARNICORE_API void appendXmlString(std::string& out, std::string_view text);

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_CONVERSIONS_HXX
