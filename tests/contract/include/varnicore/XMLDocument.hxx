// Part of the declared runtime interface (see Config.hxx).
#ifndef VARNICORE_XMLDOCUMENT_HXX
#define VARNICORE_XMLDOCUMENT_HXX

#include <cstddef>
#include <string>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

class XMLNodeChildren;

class XMLNode {
 public:
  XMLNode(const XMLNode& other);
  ~XMLNode();

  std::string getAttr(const std::string& name) const;
  // Read directly: the local name, the child elements in document order (and how many there
  // are), the text content, whether there is a parent.
  std::string getLocalName() const;
  XMLNodeChildren getChildren() const;
  std::size_t getChildCount() const;
  std::string getText() const;
  bool hasParent() const;
};

class XMLNodeChildIterator {
 public:
  const XMLNode& operator*() const;
  XMLNodeChildIterator& operator++();
  bool operator!=(const XMLNodeChildIterator& other) const;
};

class XMLNodeChildren {
 public:
  XMLNodeChildIterator begin() const;
  XMLNodeChildIterator end() const;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_XMLDOCUMENT_HXX
