// Part of the declared runtime interface (see Config.hxx).
#ifndef VARNICORE_BASEOBJECT_HXX
#define VARNICORE_BASEOBJECT_HXX

#include <string>

#include <varnicore/Config.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

class BaseObject {
 public:
  explicit BaseObject(const char* namespaceUri);
  BaseObject(const BaseObject& other);
  BaseObject& operator=(const BaseObject&) = delete;
  virtual ~BaseObject();

  // The namespace string and the count, read and incremented.
  const std::string& getNamespace() const;
  int getRefCount() const;
  void addRef();
  void removeRef();

#if !VARNICORE_REDUCED_PROFILE
  BaseObject* clone() const;

 protected:
  virtual BaseObject* reallyClone() const = 0;
#else
  virtual BaseObject* reallyClone() const = 0;

 protected:
  // The reduced runtime's objects take their namespace after their fields are built.
  BaseObject();
  void setNamespace(const char* namespaceUri);
#endif
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_BASEOBJECT_HXX
