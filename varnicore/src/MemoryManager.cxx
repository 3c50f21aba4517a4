#include <varnicore/MemoryManager.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {

namespace {
MemoryManager* installedManager = nullptr;
}  // namespace

// Out of line so that the vtable and type info live in this library only.
MemoryManager::~MemoryManager() = default;

MemoryManager* MemoryManager::getMemoryManager() noexcept {
  return installedManager;
}

MemoryManager* MemoryManager::setMemoryManager(MemoryManager* manager) noexcept {
  MemoryManager* previous = installedManager;
  installedManager = manager;
  return previous;
}

}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
