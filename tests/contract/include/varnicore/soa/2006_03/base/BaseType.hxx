// Part of the declared runtime interface (see ../../../Config.hxx): what the library uses of a
// base schema type X, a facade over XImpl whose outputXML, parse and getNamespaces it calls
// directly. ModelObject.hxx and ServiceData.hxx declare theirs with it.
#ifndef VARNICORE_SOA_2006_03_BASE_BASETYPE_HXX
#define VARNICORE_SOA_2006_03_BASE_BASETYPE_HXX

#include <set>
#include <string>

#include <pelagon/runtime/Handle.hxx>
#include <varnicore/BaseObject.hxx>
#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>

#if !VARNICORE_REDUCED_PROFILE
#define VARNICORE_CONTRACT_GET_NAMESPACES(Declaration, Body) Declaration Body
#else
#define VARNICORE_CONTRACT_GET_NAMESPACES(Declaration, Body)
#endif

#define VARNICORE_CONTRACT_BASE_TYPE(X)                                                         \
  class X##Impl : public ::Corvanthel::Soa::Common::Xml::BaseObject {                           \
   public:                                                                                      \
    void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,                           \
                   const std::string& elementName) const;                                       \
    void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);                            \
    VARNICORE_CONTRACT_GET_NAMESPACES(void getNamespaces(std::set<std::string>& namespaces)     \
                                          const, ;)                                             \
  };                                                                                            \
                                                                                                \
  class X : public ::Corvanthel::Soa::Common::Xml::Handle<X##Impl> {                            \
   public:                                                                                      \
    X();                                                                                        \
    X(const X& other);                                                                          \
    X& operator=(const X& other);                                                               \
    ~X() override;                                                                              \
    static void operator delete(void* p);                                                       \
                                                                                                \
    void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,                           \
                   const std::string& elementName) const {                                      \
      getHandleObject().outputXML(stream, elementName);                                         \
    }                                                                                           \
    void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node) {                           \
      getHandleObject().parse(node);                                                            \
    }                                                                                           \
    VARNICORE_CONTRACT_GET_NAMESPACES(void getNamespaces(std::set<std::string>& namespaces)     \
                                          const,                                                \
                                      { getHandleObject().getNamespaces(namespaces); })         \
  }

#endif  // VARNICORE_SOA_2006_03_BASE_BASETYPE_HXX
