// What the class-specific operator new and operator delete of every schema class do.
//
// Each facade and implementation class declares the operators below and defines them by calling
// these functions with its qualified name as tag. Where they get memory:
// - With a MemoryManager installed, from its allocate, under the tag. When the manager returns
//   null, operator new throws ManagerRefusal, a std::bad_alloc: a new-expression never yields
//   null.
// - With none, from the global operator new, whose std::bad_alloc passes through unchanged.
// The generated constructors and reallyClone call the class's operator new as a function and
// build the object in that memory with the global placement new; they tell a manager's refusal
// from other failures by its type. A constructor then throws TryingToCreateNullHandle, reallyClone
// returns null.
#ifndef PELAGON_RUNTIME_ALLOCATION_HXX
#define PELAGON_RUNTIME_ALLOCATION_HXX

#include <cstddef>
#include <new>
#include <utility>

#include <pelagon/runtime/Export.hxx>
#include <varnicore/Exceptions.hxx>
#include <varnicore/MemoryManager.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Binding {

/// Thrown by a schema class's operator new when the installed MemoryManager returns null.
class PELAGON_INLINE_API ManagerRefusal : public std::bad_alloc {
 public:
  const char* what() const noexcept override { return "the MemoryManager refused an allocation"; }
};

/// The installed manager's allocate under the tag, else the global operator new.
inline void* allocate(std::size_t size, const char* tag) {
  if (MemoryManager* manager = MemoryManager::getMemoryManager()) {
    if (void* memory = manager->allocate(size, tag))
      return memory;
    throw ManagerRefusal();
  }
  return ::operator new(size);
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

/// Builds a T from args in memory from T's operator new; gives the memory back to T's operator
/// delete when the constructor throws.
template <class T, class... Args>
T* constructIn(void* memory, Args&&... args) {
  try {
    return ::new (memory) T(std::forward<Args>(args)...);
  } catch (...) {
    T::operator delete(memory);
    throw;
  }
}

/// Memory for a T from T's operator new; null when the installed manager refuses it.
template <class T>
void* memoryOrNull() {
  try {
    return T::operator new(sizeof(T));
  } catch (const ManagerRefusal&) {
    return nullptr;
  }
}

/// A new T built from args. Throws TryingToCreateNullHandle when the installed manager refuses
/// the memory; lets the global operator new's std::bad_alloc through.
template <class T, class... Args>
T* create(Args&&... args) {
  void* memory = memoryOrNull<T>();
  if (memory == nullptr)
    throw TryingToCreateNullHandle();
  return constructIn<T>(memory, std::forward<Args>(args)...);
}

/// A copy of object, as reallyClone makes it: null when the installed manager refuses the memory.
template <class T>
T* cloneOrNull(const T& object) {
  void* memory = memoryOrNull<T>();
  return memory == nullptr ? nullptr : constructIn<T>(memory, object);
}

}  // namespace Binding
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

/// Declares the class-specific allocation operators inside a schema class.
#define PELAGON_ALLOCATION_MEMBERS                                     \
  static void* operator new(std::size_t size);                         \
  static void operator delete(void* p) noexcept;                       \
  static void* operator new(std::size_t size, void* place) noexcept;   \
  static void operator delete(void* p, void* place) noexcept;          \
  static void* operator new[](std::size_t size, void* place) noexcept; \
  static void operator delete[](void* p, void* place) noexcept

/// Defines them for Class (qualified as seen from the point of definition) under tag.
#define PELAGON_DEFINE_ALLOCATION(Class, tag)                                       \
  void* Class::operator new(std::size_t size) {                                     \
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
