// Part of the declared runtime interface (see Config.hxx). The reduced runtime has none.
#ifndef VARNICORE_MEMORYMANAGER_HXX
#define VARNICORE_MEMORYMANAGER_HXX

#include <cstddef>

#include <varnicore/Config.hxx>

#if VARNICORE_REDUCED_PROFILE
#error "the reduced runtime has no MemoryManager"
#endif

namespace Corvanthel {
namespace Soa {
namespace Common {

class MemoryManager {
 public:
  static MemoryManager* getMemoryManager();
  virtual void* allocate(std::size_t size, const char* tag) = 0;
  virtual void deallocate(void* p) = 0;
  virtual void* placementallocate(std::size_t size, void* place) = 0;
  virtual void placementdeallocate(void* p, void* place) = 0;

 protected:
  ~MemoryManager() = default;
};

}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_MEMORYMANAGER_HXX
