// The allocator hook through which every schema object is allocated.
#ifndef VARNICORE_MEMORYMANAGER_HXX
#define VARNICORE_MEMORYMANAGER_HXX

#include <cstddef>

#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {

/// An application-supplied allocator. When one is installed, every schema class allocates and
/// releases its objects through it, passing its own qualified class name as the tag
/// (for instance "Corvanthel::Schemas::Query::_2006_03::Savedquery::SavedQueryObjectImpl").
///
/// Rules for implementers and callers:
/// - allocate returns memory aligned for any object (like malloc), or null on failure; it must
///   not throw. A null makes a facade constructor throw TryingToCreateNullHandle, clone() return
///   null, and a new-expression of a schema class (new Savedquery::SavedQueryObject(), say) throw
///   std::bad_alloc.
/// - With no manager installed, schema objects come from the global operator new, and its
///   std::bad_alloc passes through constructors, clone() and ensureUnShared() unchanged.
/// - A manager must stay installed while objects it allocated are alive. The manager is looked up
///   anew at every allocation and every release, so an object released after its manager was
///   uninstalled would hand its memory to the global operator delete, which did not allocate it.
/// - The installed manager is process-wide and not synchronised: install it before any schema
///   object exists and before threads that use the library start, and do not change it while
///   schema objects live.
/// - Its functions are called from every thread that uses the library, at the same time: they
///   must be thread-safe.
class VARNICORE_API MemoryManager {
 public:
  virtual ~MemoryManager();

  virtual void* allocate(std::size_t size, const char* tag) = 0;
  virtual void deallocate(void* p) = 0;
  virtual void* placementallocate(std::size_t size, void* place) = 0;
  virtual void placementdeallocate(void* p, void* place) = 0;

  /// The installed manager, or null when none is.
  static MemoryManager* getMemoryManager() noexcept;
  /// Installs a manager (null uninstalls) and returns the one installed before.
  static MemoryManager* setMemoryManager(MemoryManager* manager) noexcept;
};

}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_MEMORYMANAGER_HXX
