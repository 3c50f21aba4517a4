// Part of the declared runtime interface (see Config.hxx).
#ifndef VARNICORE_CONVERSIONS_HXX
#define VARNICORE_CONVERSIONS_HXX

#include <string>

#include <varnicore/DateTime.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

// Only the conversions below exist; any other pair of types does not compile.
template <class Target, class Source>
Target lexical_cast(const Source& value) = delete;
template <>
std::string lexical_cast<std::string, int>(const int& value);
template <>
std::string lexical_cast<std::string, DateTime>(const DateTime& value);
template <>
int lexical_cast<int, std::string>(const std::string& text);
template <>
DateTime lexical_cast<DateTime, std::string>(const std::string& text);

std::string toXmlString(const std::string& text);

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_CONVERSIONS_HXX
