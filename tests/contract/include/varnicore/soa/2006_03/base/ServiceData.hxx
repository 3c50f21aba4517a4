// Part of the declared runtime interface (see ../../../Config.hxx): the base schema type
// ServiceData, whose implementation object's outputXML, parse and getNamespaces the library calls
// directly.
#ifndef VARNICORE_SOA_2006_03_BASE_SERVICEDATA_HXX
#define VARNICORE_SOA_2006_03_BASE_SERVICEDATA_HXX

#include <cstddef>
#include <set>
#include <string>

#include <pelagon/runtime/Handle.hxx>
#include <varnicore/BaseObject.hxx>
#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>

namespace Corvanthel {
namespace Schemas {
namespace Soa {
namespace _2006_03 {
namespace Base {

class ServiceDataImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
#if !VARNICORE_REDUCED_PROFILE
  void getNamespaces(std::set<std::string>& namespaces) const;
#endif
};

class ServiceData : public ::Corvanthel::Soa::Common::Xml::Handle<ServiceDataImpl> {
 public:
  ServiceData();
  ServiceData(const ServiceData& other);
  ServiceData& operator=(const ServiceData& other);
  ~ServiceData() override;
  static void operator delete(void* p);

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const {
    getHandleObject().outputXML(stream, elementName);
  }
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node) { getHandleObject().parse(node); }
#if !VARNICORE_REDUCED_PROFILE
  void getNamespaces(std::set<std::string>& namespaces) const {
    getHandleObject().getNamespaces(namespaces);
  }
#endif
};

}  // namespace Base
}  // namespace _2006_03
}  // namespace Soa
}  // namespace Schemas
}  // namespace Corvanthel

#endif  // VARNICORE_SOA_2006_03_BASE_SERVICEDATA_HXX
