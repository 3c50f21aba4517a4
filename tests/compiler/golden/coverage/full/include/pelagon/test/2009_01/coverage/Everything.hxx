// Everything: generated from ../tests/compiler/coverage/Coverage.xsd by the schema compiler. Do not
// edit.
#ifndef PELAGON_TEST_2009_01_COVERAGE_EVERYTHING_HXX
#define PELAGON_TEST_2009_01_COVERAGE_EVERYTHING_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/runtime/Binding.hxx>
#include <pelagon/runtime/Export.hxx>
#include <pelagon/test/2009_01/coverage/Empty.hxx>
#include <pelagon/test/2009_01/coverage/Flat.hxx>
#include <pelagon/test/2009_01/coverage/Nested.hxx>
#include <varnicore/soa/2006_03/base/ModelObject.hxx>
#include <varnicore/soa/2006_03/base/ServiceData.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 0,
              "Everything.hxx was generated for binding runtime 0.1.0, full profile, not "
              "for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Test {
namespace _2009_01 {
namespace Coverage {

/// The fields of Everything; held and shared through Everything handles.
class PELAGON_API EverythingImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  EverythingImpl();
  EverythingImpl(const std::string& label, const Flat& flat,
                 const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& object,
                 const Empty& empty,
                 const ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& serviceData);
  EverythingImpl(const EverythingImpl& other);
  EverythingImpl& operator=(const EverythingImpl&) = delete;
  ~EverythingImpl() override;

  std::string& getLabel() { return label_; }
  const std::string& getLabel() const { return label_; }
  void setLabel(const std::string& value) { label_ = value; }
  Flat& getFlat() { return flat_; }
  const Flat& getFlat() const { return flat_; }
  void setFlat(const Flat& value) { flat_ = value; }
  ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& getObject() { return object_; }
  const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& getObject() const {
    return object_;
  }
  void setObject(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& value) {
    object_ = value;
  }
  const std::vector<::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject>& getObjectArray()
      const {
    return objects_;
  }
  void setObjectArray(
      const std::vector<::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject>& values) {
    objects_ = values;
  }
  void addObject(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& value) {
    objects_.push_back(value);
  }
  const std::vector<Nested>& getNestedArray() const { return nesteds_; }
  void setNestedArray(const std::vector<Nested>& values) { nesteds_ = values; }
  void addNested(const Nested& value) { nesteds_.push_back(value); }
  Empty& getEmpty() { return empty_; }
  const Empty& getEmpty() const { return empty_; }
  void setEmpty(const Empty& value) { empty_ = value; }
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
  EverythingImpl* reallyClone() const override;

 private:
  std::string label_;
  Flat flat_;
  ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject object_;
  std::vector<::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject> objects_;
  std::vector<Nested> nesteds_;
  Empty empty_;
  ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData serviceData_;
};

/// The schema type Everything.
///
/// As a message, every field filled (`pelagon sample --indent 2`):
/// \verbinclude coverage_2009-01/Everything.xml
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class PELAGON_API Everything : public ::Corvanthel::Soa::Common::Xml::Handle<EverythingImpl> {
 public:
  Everything();
  Everything(const std::string& label, const Flat& flat,
             const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& object,
             const Empty& empty,
             const ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData& serviceData);
  Everything(const Everything& other) = default;
  Everything& operator=(const Everything& other) = default;
  ~Everything() override;

  std::string& getLabel() { return getHandleObject().getLabel(); }
  const std::string& getLabel() const { return getHandleObject().getLabel(); }
  void setLabel(const std::string& value) { getHandleObject().setLabel(value); }
  Flat& getFlat() { return getHandleObject().getFlat(); }
  const Flat& getFlat() const { return getHandleObject().getFlat(); }
  void setFlat(const Flat& value) { getHandleObject().setFlat(value); }
  ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& getObject() {
    return getHandleObject().getObject();
  }
  const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& getObject() const {
    return getHandleObject().getObject();
  }
  void setObject(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& value) {
    getHandleObject().setObject(value);
  }
  const std::vector<::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject>& getObjectArray()
      const {
    return getHandleObject().getObjectArray();
  }
  void setObjectArray(
      const std::vector<::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject>& values) {
    getHandleObject().setObjectArray(values);
  }
  void addObject(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& value) {
    getHandleObject().addObject(value);
  }
  const std::vector<Nested>& getNestedArray() const { return getHandleObject().getNestedArray(); }
  void setNestedArray(const std::vector<Nested>& values) {
    getHandleObject().setNestedArray(values);
  }
  void addNested(const Nested& value) { getHandleObject().addNested(value); }
  Empty& getEmpty() { return getHandleObject().getEmpty(); }
  const Empty& getEmpty() const { return getHandleObject().getEmpty(); }
  void setEmpty(const Empty& value) { getHandleObject().setEmpty(value); }
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
  /// Checks that element and everything below it are valid against the schema type Everything:
  /// its attributes, its child elements in order and in their namespaces, and every value
  /// (see "Validating messages" in the README). Its own name is not looked at. Throws
  /// Exceptions::DomException, with the place, at the first fault in document order; reads the
  /// tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
  /// Checks that document is a valid Everything message: its root element is "Everything" in the
  /// namespace of this schema, valid as validate() checks.
  static void validateDocument(const ::Corvanthel::Soa::Common::Xml::XMLDocument& document);
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
    ::Corvanthel::Schemas::Test::_2009_01::Coverage::EverythingImpl>;

#endif  // PELAGON_TEST_2009_01_COVERAGE_EVERYTHING_HXX
