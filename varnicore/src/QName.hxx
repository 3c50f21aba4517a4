// Whether a name may stand as an element or attribute name: a QName of Namespaces in XML 1.0,
// with the name characters of XML 1.0 (Fifth Edition) (not installed).
#ifndef VARNICORE_SRC_QNAME_HXX
#define VARNICORE_SRC_QNAME_HXX

#include <cstddef>
#include <string>
#include <string_view>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// Whether name is a QName. Names of ASCII letters, digits and "_-.:" take a table lookup a byte.
bool isQName(std::string_view name);

/// Why name is not a QName, in words that can follow the name in a message, or an empty string
/// when it is one.
std::string qnameFault(std::string_view name);

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_QNAME_HXX
