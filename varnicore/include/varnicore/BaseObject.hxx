// The reference-counted base of every implementation object.
#ifndef VARNICORE_BASEOBJECT_HXX
#define VARNICORE_BASEOBJECT_HXX

#include <memory>
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
  explicit BaseObject(const char* namespaceUri)
      : owned_(std::make_unique<std::string>(namespaceUri)), namespace_(owned_.get()) {}
  /// A new object with count 0 that refers to a shared namespace string (no copy is made).
  explicit BaseObject(SharedNamespace ns) noexcept : namespace_(ns.uri) {}
  /// Copies the namespace; the copy starts with count 0, since no handle holds it yet.
  BaseObject(const BaseObject& other)
      : owned_(other.owned_ ? std::make_unique<std::string>(*other.owned_) : nullptr),
        namespace_(owned_ ? owned_.get() : other.namespace_) {}
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
    owned_ = std::make_unique<std::string>(namespaceUri);
    namespace_ = owned_.get();
  }

#if !VARNICORE_REDUCED_PROFILE
  virtual BaseObject* reallyClone() const = 0;
#endif

 private:
  // Most objects refer to their schema's shared string; only objects built from a C string own
  // a copy (a pointer rather than a member string keeps every object small).
  std::unique_ptr<std::string> owned_;
  const std::string* namespace_ = &empty();
  int refCount_ = 0;

  static const std::string& empty() noexcept;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_BASEOBJECT_HXX
