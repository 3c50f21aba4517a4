// Timing marks. The library marks the start and end of every root write and read; an application
// that wants timings installs a listener.
#ifndef VARNICORE_MONITOR_HXX
#define VARNICORE_MONITOR_HXX

#include <string>

#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Internal {
namespace Common {

/// Receives the marks. Marks nest and always come in pairs with the same label, also when the
/// work between them ends with an exception. A listener that throws from markEnd while an
/// exception is already on its way has its exception dropped. Its functions are called from every
/// thread that uses the library, at the same time, and must be thread-safe; the marks of
/// different threads interleave, each thread's nesting and pairing up on their own.
class VARNICORE_API MonitorListener {
 public:
  virtual ~MonitorListener();
  virtual void markStart(const std::string& label) = 0;
  virtual void markEnd(const std::string& label) = 0;
};

class VARNICORE_API Monitor {
 public:
  /// With no listener installed a mark costs a call and one branch. Out of line, so that what
  /// calls it depends on these two functions only, not on how the listener is kept.
  static void markStart(const std::string& label);
  static void markEnd(const std::string& label);
  /// Installs a listener (null uninstalls) and returns the one installed before. Process-wide and
  /// not synchronised, like MemoryManager::setMemoryManager: install it before the threads that
  /// use the library start, and do not change it while they run.
  static MonitorListener* setListener(MonitorListener* listener) noexcept;
  static MonitorListener* getListener() noexcept { return listener_; }

 private:
  static MonitorListener* listener_;
};

}  // namespace Common
}  // namespace Internal
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_MONITOR_HXX
