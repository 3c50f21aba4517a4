// The reference-counted handle from which every facade class derives.
#ifndef PELAGON_RUNTIME_HANDLE_HXX
#define PELAGON_RUNTIME_HANDLE_HXX

#include <pelagon/runtime/Export.hxx>
#include <varnicore/BaseObject.hxx>
#include <varnicore/Config.hxx>
#include <varnicore/Exceptions.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

/// Holds one reference to an implementation object T (derived from BaseObject). Copies share the
/// object; the last handle to let go of it destroys it. A facade is never empty: its constructors
/// either hold a new object or throw. Only a default-constructed Handle is empty, and it can be
/// copied, assigned and destroyed like any other.
// Instantiated explicitly, once per schema type, by the library that defines the type; the
// instantiations are part of that library's ABI.
template <class T>
class PELAGON_INLINE_API Handle {
 public:
#if !VARNICORE_REDUCED_PROFILE
  Handle() noexcept : object_(nullptr) {}
#endif
  Handle(const Handle& other) noexcept : object_(other.object_) {
    init();
  }

  /// Takes the new reference before it drops the old one, so assigning from an object that only
  /// the old one keeps alive is safe.
  Handle& operator=(const Handle& other) noexcept {
    if (object_ != other.object_) {
      T* old = object_;
      object_ = other.object_;
      init();
      if (old != nullptr)
        old->removeRef();
    }
    return *this;
  }

  virtual ~Handle() {
    if (object_ != nullptr)
      object_->removeRef();
  }

  /// Replaces a shared object with a copy of its own (made by the object's reallyClone; the copy
  /// still shares its child objects with the original). Does nothing when this handle is the only
  /// holder. If no copy can be allocated it throws TryingToCreateNullHandle and keeps the object
  /// it held.
#if !VARNICORE_REDUCED_PROFILE
  void ensureUnShared() {
    if (object_ == nullptr || object_->getRefCount() < 2)
      return;
    T* copy = static_cast<T*>(object_->clone());
    if (copy == nullptr)
      throw TryingToCreateNullHandle();
    object_->removeRef();
    object_ = copy;
    init();
  }
#endif

 protected:
  /// Holds object with one reference added; throws TryingToCreateNullHandle for null.
  explicit Handle(T* object) : object_(object) {
    if (object_ == nullptr)
      throw TryingToCreateNullHandle();
    init();
  }

  T& getHandleObject() const noexcept {
    return *object_;
  }

 private:
  void init() noexcept {
    if (object_ != nullptr)
      object_->addRef();
  }

  T* object_;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // PELAGON_RUNTIME_HANDLE_HXX
