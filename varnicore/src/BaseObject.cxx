#include <varnicore/BaseObject.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

// Out of line so that the vtable and type info live in this library only; dynamic_cast across
// library boundaries depends on it.
BaseObject::~BaseObject() = default;

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
