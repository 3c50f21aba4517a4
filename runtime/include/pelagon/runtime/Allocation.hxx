// What the class-specific operator new and operator delete of every schema class do.
//
// Each facade and implementation class declares the six operators below (noexcept) and defines
// them by calling these functions with its qualified name as tag. Being noexcept, a null from the
// manager makes the new-expression yield null without running a constructor; the facade's handle
// then throws TryingToCreateNullHandle.
#ifndef PELAGON_RUNTIME_ALLOCATION_HXX
#define PELAGON_RUNTIME_ALLOCATION_HXX

#include <cstddef>
#include <new>

#include <varnicore/MemoryManager.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Binding {

/// The installed manager's allocate under the tag, else the global non-throwing operator new.
inline void* allocate(std::size_t size, const char* tag) noexcept {
  if (MemoryManager* manager = MemoryManager::getMemoryManager()) {
    return manager->allocate(size, tag);
  }
  return ::operator new(size, std::nothrow);
}

/// The installed manager's deallocate, else the global operator delete. Null is ignored.
inline void deallocate(void* p) noexcept {
  if (p == nullptr)
    return;
  if (MemoryManager* manager = MemoryManager::getMemoryManager()) {
    manager->deallocate(p);
  } else {
    ::operator delete(p);
  }
}

inline void* placementAllocate(std::size_t size, void* place) noexcept {
  if (MemoryManager* manager = MemoryManager::getMemoryManager()) {
    return manager->placementallocate(size, place);
  }
  return place;
}

inline void placementDeallocate(void* p, void* place) noexcept {
  if (MemoryManager* manager = MemoryManager::getMemoryManager()) {
    manager->placementdeallocate(p, place);
  }
}

}  // namespace Binding
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

/// Declares the class-specific allocation operators inside a schema class.
#define PELAGON_ALLOCATION_MEMBERS                                     \
  static void* operator new(std::size_t size) noexcept;                \
  static void operator delete(void* p) noexcept;                       \
  static void* operator new(std::size_t size, void* place) noexcept;   \
  static void operator delete(void* p, void* place) noexcept;          \
  static void* operator new[](std::size_t size, void* place) noexcept; \
  static void operator delete[](void* p, void* place) noexcept

/// Defines them for Class (qualified as seen from the point of definition) under tag.
#define PELAGON_DEFINE_ALLOCATION(Class, tag)                                       \
  void* Class::operator new(std::size_t size) noexcept {                            \
    return ::Corvanthel::Soa::Common::Xml::Binding::allocate(size, tag);            \
  }                                                                                 \
  void Class::operator delete(void* p) noexcept {                                   \
    ::Corvanthel::Soa::Common::Xml::Binding::deallocate(p);                         \
  }                                                                                 \
  void* Class::operator new(std::size_t size, void* place) noexcept {               \
    return ::Corvanthel::Soa::Common::Xml::Binding::placementAllocate(size, place); \
  }                                                                                 \
  void Class::operator delete(void* p, void* place) noexcept {                      \
    ::Corvanthel::Soa::Common::Xml::Binding::placementDeallocate(p, place);         \
  }                                                                                 \
  void* Class::operator new[](std::size_t, void* place) noexcept {                  \
    return place;                                                                   \
  }                                                                                 \
  void Class::operator delete[](void*, void*) noexcept {}

#endif  // PELAGON_RUNTIME_ALLOCATION_HXX
