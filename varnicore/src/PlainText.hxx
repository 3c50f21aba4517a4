// Text that escaping leaves as it is (not installed).
#ifndef VARNICORE_SRC_PLAINTEXT_HXX
#define VARNICORE_SRC_PLAINTEXT_HXX

#include <string_view>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// True when toXmlString gives text back unchanged: ASCII without markup, line-end or control
/// characters.
bool isPlainXmlText(std::string_view text) noexcept;

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_PLAINTEXT_HXX
