// OnlyReference: generated from ../tests/compiler/coverage/Coverage.xsd by the schema compiler. Do
// not edit.
#ifndef PELAGON_TEST_2009_01_COVERAGE_ONLYREFERENCE_HXX
#define PELAGON_TEST_2009_01_COVERAGE_ONLYREFERENCE_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/runtime/Binding.hxx>
#include <pelagon/runtime/Export.hxx>
#include <varnicore/soa/2006_03/base/ServiceData.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 0,
              "OnlyReference.hxx was generated for binding runtime 0.1.0, full profile, not "
              "for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Test {
namespace _2009_01 {
namespace Coverage {

/// The fields of OnlyReference; held and shared through OnlyReference handles.
class PELAGON_API OnlyReferenceImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  OnlyReferenceImpl();
  OnlyReferenceImpl(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& serviceData);
  OnlyReferenceImpl(const OnlyReferenceImpl& other);
  OnlyReferenceImpl& operator=(const OnlyReferenceImpl&) = delete;
  ~OnlyReferenceImpl() override;

  ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& getServiceData() { return serviceData_; }
  const ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& getServiceData() const {
    return serviceData_;
  }
  void setServiceData(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& value) {
    serviceData_ = value;
  }

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
  void getNamespaces(std::set<std::string>& namespaces) const;

  PELAGON_ALLOCATION_MEMBERS;

 protected:
  OnlyReferenceImpl* reallyClone() const override;

 private:
  ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData serviceData_;
};

/// The schema type OnlyReference.
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class PELAGON_API OnlyReference : public ::Corvanthel::Soa::Common::Xml::Handle<OnlyReferenceImpl> {
 public:
  OnlyReference();
  OnlyReference(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& serviceData);
  OnlyReference(const OnlyReference& other) = default;
  OnlyReference& operator=(const OnlyReference& other) = default;
  ~OnlyReference() override;

  ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& getServiceData() {
    return getHandleObject().getServiceData();
  }
  const ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& getServiceData() const {
    return getHandleObject().getServiceData();
  }
  void setServiceData(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& value) {
    getHandleObject().setServiceData(value);
  }

  /// Writes this object as one element named elementName.
  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const {
    getHandleObject().outputXML(stream, elementName);
  }
  /// Fills this object from an element; lists are appended to, single children parsed in
  /// place. Throws Exceptions::DomException for a child element it does not expect.
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node) { getHandleObject().parse(node); }
#if PELAGON_HAS_VALIDATION
  /// Checks that element and everything below it are valid against the schema type OnlyReference:
  /// its attributes, its child elements in order and in their namespaces, and every value
  /// (see "Validating messages" in the README). Its own name is not looked at. Throws
  /// Exceptions::DomException, with the place, at the first fault in document order; reads the
  /// tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
#endif
  /// Adds the namespaces that writing this object needs (a list contributes its first
  /// entry's only).
  void getNamespaces(std::set<std::string>& namespaces) const {
    getHandleObject().getNamespaces(namespaces);
  }

  PELAGON_ALLOCATION_MEMBERS;
};

}  // namespace Coverage
}  // namespace _2009_01
}  // namespace Test
}  // namespace Schemas
}  // namespace Corvanthel

extern template class ::Corvanthel::Soa::Common::Xml::Handle<
    ::Corvanthel::Schemas::Test::_2009_01::Coverage::OnlyReferenceImpl>;

#endif  // PELAGON_TEST_2009_01_COVERAGE_ONLYREFERENCE_HXX
