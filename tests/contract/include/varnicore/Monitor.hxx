// Part of the declared runtime interface (see Config.hxx).
#ifndef VARNICORE_MONITOR_HXX
#define VARNICORE_MONITOR_HXX

#include <string>

namespace Corvanthel {
namespace Soa {
namespace Internal {
namespace Common {

class Monitor {
 public:
  static void markStart(const std::string& label);
  static void markEnd(const std::string& label);
};

}  // namespace Common
}  // namespace Internal
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_MONITOR_HXX
