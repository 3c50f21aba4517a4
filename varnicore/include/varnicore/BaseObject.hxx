// The reference-counted base of every implementation object.
#ifndef VARNICORE_BASEOBJECT_HXX
#define VARNICORE_BASEOBJECT_HXX

#include <string>

#include <varnicore/Config.hxx>
#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

/// A namespace URI that many objects share instead of each holding a copy: the string must
/// outlive every object built with it (a function-local static does).
struct SharedNamespace {
  const std::string* uri;
};

/// Holds the namespace URI of a schema type and the count of handles that share the object.
/// Counts are plain ints: an object and everything that shares it is used by one thread at a
/// time.
class VARNICORE_API BaseObject {
 public:
  /// A new object with count 0, holding its own copy of the namespace.
  explicit BaseObject(const char* namespaceUri) : owned_(namespaceUri) {}
  /// A new object with count 0 that refers to a shared namespace string (no copy is made).
  explicit BaseObject(SharedNamespace ns) noexcept : namespace_(ns.uri) {}
  /// Copies the namespace; the copy starts with count 0, since no handle holds it yet.
  BaseObject(const BaseObject& other)
      : namespace_(other.namespace_ == &other.owned_ ? &owned_ : other.namespace_),
        owned_(other.owned_) {}
  BaseObject& operator=(const BaseObject&) = delete;
  virtual ~BaseObject();

  const std::string& getNamespace() const noexcept { return *namespace_; }
  int getRefCount() const noexcept { return refCount_; }

  void addRef() noexcept { ++refCount_; }
  /// Drops one reference; at 0 the object is destroyed through its virtual destructor, which
  /// returns its memory through its class's operator delete.
  void removeRef() noexcept {
    if (--refCount_ == 0)
      delete this;
  }

#if !VARNICORE_REDUCED_PROFILE
  /// A new copy made by reallyClone, with count 0; null when it could not be allocated.
  BaseObject* clone() const {
    return reallyClone();
  }
#else
  /// The reduced runtime has no clone(); the copy is made by calling reallyClone directly.
  virtual BaseObject* reallyClone() const = 0;
#endif

 protected:
  /// For implementation classes that set their namespace after their fields are built.
  BaseObject() = default;
  void setNamespace(const char* namespaceUri) {
    owned_ = namespaceUri;
    namespace_ = &owned_;
  }

#if !VARNICORE_REDUCED_PROFILE
  virtual BaseObject* reallyClone() const = 0;
#endif

 private:
  const std::string* namespace_ = &owned_;
  std::string owned_;
  int refCount_ = 0;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_BASEOBJECT_HXX
