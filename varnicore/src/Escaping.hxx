// Escaping straight into the stream's own buffer (not installed).
#ifndef VARNICORE_SRC_ESCAPING_HXX
#define VARNICORE_SRC_ESCAPING_HXX

#include <cstddef>
#include <string_view>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// The most bytes that escaping makes of one byte ("&quot;").
constexpr std::size_t kLongestEscape = 6;

/// Writes text escaped as toXmlString escapes it to out, which has room for kLongestEscape times
/// its size; returns the end of what it wrote. Throws as toXmlString does, out then holding part
/// of the text.
char* escapeInto(char* out, std::string_view text);

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_ESCAPING_HXX
