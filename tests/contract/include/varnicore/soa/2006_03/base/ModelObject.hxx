// Part of the declared runtime interface (see ../../../Config.hxx): the base schema type ModelObject.
#ifndef VARNICORE_SOA_2006_03_BASE_MODELOBJECT_HXX
#define VARNICORE_SOA_2006_03_BASE_MODELOBJECT_HXX

#include <varnicore/soa/2006_03/base/BaseType.hxx>

namespace Corvanthel {
namespace Schemas {
namespace Soa {
namespace _2006_03 {
namespace Base {

VARNICORE_CONTRACT_BASE_TYPE(ModelObject);

}  // namespace Base
}  // namespace _2006_03
}  // namespace Soa
}  // namespace Schemas
}  // namespace Corvanthel

#endif  // VARNICORE_SOA_2006_03_BASE_MODELOBJECT_HXX
