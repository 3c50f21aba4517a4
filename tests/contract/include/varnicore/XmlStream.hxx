// Part of the declared runtime interface (see Config.hxx).
#ifndef VARNICORE_XMLSTREAM_HXX
#define VARNICORE_XMLSTREAM_HXX

#include <ostream>
#include <set>
#include <string>

#include <varnicore/Config.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

// A std::ostream; the library inserts each string returned below into it.
class XmlStream : public std::ostream {
 public:
  bool isRootElement() const;
#if !VARNICORE_REDUCED_PROFILE
  void addNamespaces(std::set<std::string> namespaces);
#endif
  std::string writeOpenElement(const std::string& ns, const std::string& name);
  std::string writeAttribute(const std::string& name, const std::string& value);
  std::string writeOpenElementClose(const std::string& ns, bool isEmpty);
  std::string writeCloseElement(const std::string& ns, const std::string& name);
  std::string getNamespacePrefix(const std::string& ns) const;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_XMLSTREAM_HXX
