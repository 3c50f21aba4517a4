// ServiceData: generated from soa/2006_03/base/Base.xsd by the schema compiler. Do not edit.
#ifndef VARNICORE_SOA_2006_03_BASE_SERVICEDATA_HXX
#define VARNICORE_SOA_2006_03_BASE_SERVICEDATA_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/runtime/Binding.hxx>
#include <varnicore/Export.hxx>
#include <varnicore/soa/2006_03/base/ModelObject.hxx>
#include <varnicore/soa/2006_03/base/PartialError.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 0,
              "ServiceData.hxx was generated for binding runtime 0.1.0, full profile, not "
              "for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Soa {
namespace _2006_03 {
namespace Base {

/// The fields of ServiceData; held and shared through ServiceData handles.
class VARNICORE_API ServiceDataImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  ServiceDataImpl();
  ServiceDataImpl(const ServiceDataImpl& other);
  ServiceDataImpl& operator=(const ServiceDataImpl&) = delete;
  ~ServiceDataImpl() override;

  const std::vector<ModelObject>& getPlainObjectArray() const { return plainObjects_; }
  void setPlainObjectArray(const std::vector<ModelObject>& values) { plainObjects_ = values; }
  void addPlainObject(const ModelObject& value) { plainObjects_.push_back(value); }
  const std::vector<std::string>& getCreatedArray() const { return created_; }
  void setCreatedArray(const std::vector<std::string>& values) { created_ = values; }
  void addCreated(const std::string& value) { created_.push_back(value); }
  const std::vector<std::string>& getUpdatedArray() const { return updated_; }
  void setUpdatedArray(const std::vector<std::string>& values) { updated_ = values; }
  void addUpdated(const std::string& value) { updated_.push_back(value); }
  const std::vector<std::string>& getDeletedArray() const { return deleted_; }
  void setDeletedArray(const std::vector<std::string>& values) { deleted_ = values; }
  void addDeleted(const std::string& value) { deleted_.push_back(value); }
  const std::vector<PartialError>& getPartialErrorArray() const { return partialErrors_; }
  void setPartialErrorArray(const std::vector<PartialError>& values) { partialErrors_ = values; }
  void addPartialError(const PartialError& value) { partialErrors_.push_back(value); }

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
  void getNamespaces(std::set<std::string>& namespaces) const;

  PELAGON_ALLOCATION_MEMBERS;

 protected:
  ServiceDataImpl* reallyClone() const override;

 private:
  std::vector<ModelObject> plainObjects_;
  std::vector<std::string> created_;
  std::vector<std::string> updated_;
  std::vector<std::string> deleted_;
  std::vector<PartialError> partialErrors_;
};

/// The standard payload of every response: the objects it returns, what it created, updated and
/// deleted, and the errors of inputs that failed.
///
/// As a message, every field filled (`pelagon sample --indent 2`):
/// \verbinclude base_2006-03/ServiceData.xml
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class VARNICORE_API ServiceData : public ::Corvanthel::Soa::Common::Xml::Handle<ServiceDataImpl> {
 public:
  ServiceData();
  ServiceData(const ServiceData& other) = default;
  ServiceData& operator=(const ServiceData& other) = default;
  ~ServiceData() override;

  /// References to the objects the response returns.
  const std::vector<ModelObject>& getPlainObjectArray() const {
    return getHandleObject().getPlainObjectArray();
  }
  void setPlainObjectArray(const std::vector<ModelObject>& values) {
    getHandleObject().setPlainObjectArray(values);
  }
  void addPlainObject(const ModelObject& value) { getHandleObject().addPlainObject(value); }
  /// Uids of the objects the request created.
  const std::vector<std::string>& getCreatedArray() const {
    return getHandleObject().getCreatedArray();
  }
  void setCreatedArray(const std::vector<std::string>& values) {
    getHandleObject().setCreatedArray(values);
  }
  void addCreated(const std::string& value) { getHandleObject().addCreated(value); }
  /// Uids of the objects the request updated.
  const std::vector<std::string>& getUpdatedArray() const {
    return getHandleObject().getUpdatedArray();
  }
  void setUpdatedArray(const std::vector<std::string>& values) {
    getHandleObject().setUpdatedArray(values);
  }
  void addUpdated(const std::string& value) { getHandleObject().addUpdated(value); }
  /// Uids of the objects the request deleted.
  const std::vector<std::string>& getDeletedArray() const {
    return getHandleObject().getDeletedArray();
  }
  void setDeletedArray(const std::vector<std::string>& values) {
    getHandleObject().setDeletedArray(values);
  }
  void addDeleted(const std::string& value) { getHandleObject().addDeleted(value); }
  /// The errors of the inputs that failed.
  const std::vector<PartialError>& getPartialErrorArray() const {
    return getHandleObject().getPartialErrorArray();
  }
  void setPartialErrorArray(const std::vector<PartialError>& values) {
    getHandleObject().setPartialErrorArray(values);
  }
  void addPartialError(const PartialError& value) { getHandleObject().addPartialError(value); }

  /// Writes this object as one element named elementName.
  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const {
    getHandleObject().outputXML(stream, elementName);
  }
  /// Fills this object from an element; lists are appended to, single children parsed in
  /// place. Throws Exceptions::DomException for a child element it does not expect.
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node) { getHandleObject().parse(node); }
#if PELAGON_HAS_VALIDATION
  /// Checks that element and everything below it are valid against the schema type ServiceData:
  /// its attributes, its child elements in order and in their namespaces, and every value
  /// (see "Validating messages" in the README). Its own name is not looked at. Throws
  /// Exceptions::DomException, with the place, at the first fault in document order; reads the
  /// tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
  /// Checks that document is a valid ServiceData message: its root element is "ServiceData" in the
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

}  // namespace Base
}  // namespace _2006_03
}  // namespace Soa
}  // namespace Schemas
}  // namespace Corvanthel

extern template class ::Corvanthel::Soa::Common::Xml::Handle<
    ::Corvanthel::Schemas::Soa::_2006_03::Base::ServiceDataImpl>;

#endif  // VARNICORE_SOA_2006_03_BASE_SERVICEDATA_HXX
