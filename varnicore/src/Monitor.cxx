#include <varnicore/Monitor.hxx>

namespace Corvanthel {
namespace Soa {
namespace Internal {
namespace Common {

MonitorListener* Monitor::listener_ = nullptr;

// The listener is read once per mark: checked and called through the same pointer.
void Monitor::markStart(const std::string& label) {
  if (MonitorListener* listener = listener_)
    listener->markStart(label);
}

void Monitor::markEnd(const std::string& label) {
  if (MonitorListener* listener = listener_)
    listener->markEnd(label);
}

// Out of line so that the vtable and type info live in this library only.
MonitorListener::~MonitorListener() = default;

MonitorListener* Monitor::setListener(MonitorListener* listener) noexcept {
  MonitorListener* previous = listener_;
  listener_ = listener;
  return previous;
}

}  // namespace Common
}  // namespace Internal
}  // namespace Soa
}  // namespace Corvanthel
