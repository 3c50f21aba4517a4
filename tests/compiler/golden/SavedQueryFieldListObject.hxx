// SavedQueryFieldListObject: generated from query/2006_03/savedquery/SavedQuery.xsd by the schema
// compiler. Do not edit.
#ifndef PELAGON_QUERY_2006_03_SAVEDQUERY_SAVEDQUERYFIELDLISTOBJECT_HXX
#define PELAGON_QUERY_2006_03_SAVEDQUERY_SAVEDQUERYFIELDLISTOBJECT_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/query/2006_03/savedquery/SavedQueryFieldObject.hxx>
#include <pelagon/runtime/Binding.hxx>
#include <pelagon/runtime/Export.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 0,
              "SavedQueryFieldListObject.hxx was generated for binding runtime 0.1.0, full "
              "profile, not for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Query {
namespace _2006_03 {
namespace Savedquery {

/// The fields of SavedQueryFieldListObject; held and shared through SavedQueryFieldListObject
/// handles.
class PELAGON_API SavedQueryFieldListObjectImpl
    : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  SavedQueryFieldListObjectImpl();
  SavedQueryFieldListObjectImpl(const SavedQueryFieldListObjectImpl& other);
  SavedQueryFieldListObjectImpl& operator=(const SavedQueryFieldListObjectImpl&) = delete;
  ~SavedQueryFieldListObjectImpl() override;

  const std::vector<SavedQueryFieldObject>& getFieldArray() const { return fields_; }
  void setFieldArray(const std::vector<SavedQueryFieldObject>& values) { fields_ = values; }
  void addField(const SavedQueryFieldObject& value) { fields_.push_back(value); }

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
  void getNamespaces(std::set<std::string>& namespaces) const;

  PELAGON_ALLOCATION_MEMBERS;

 protected:
  SavedQueryFieldListObjectImpl* reallyClone() const override;

 private:
  std::vector<SavedQueryFieldObject> fields_;
};

/// The input fields of one stored query, in order.
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class PELAGON_API SavedQueryFieldListObject
    : public ::Corvanthel::Soa::Common::Xml::Handle<SavedQueryFieldListObjectImpl> {
 public:
  SavedQueryFieldListObject();
  SavedQueryFieldListObject(const SavedQueryFieldListObject& other) = default;
  SavedQueryFieldListObject& operator=(const SavedQueryFieldListObject& other) = default;
  ~SavedQueryFieldListObject() override;

  /// The fields, one element per field.
  const std::vector<SavedQueryFieldObject>& getFieldArray() const {
    return getHandleObject().getFieldArray();
  }
  void setFieldArray(const std::vector<SavedQueryFieldObject>& values) {
    getHandleObject().setFieldArray(values);
  }
  void addField(const SavedQueryFieldObject& value) { getHandleObject().addField(value); }

  /// Writes this object as one element named elementName.
  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const {
    getHandleObject().outputXML(stream, elementName);
  }
  /// Fills this object from an element; lists are appended to, single children parsed in
  /// place. Throws Exceptions::DomException for a child element it does not expect.
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node) { getHandleObject().parse(node); }
#if PELAGON_HAS_VALIDATION
  /// Checks that element and everything below it are valid against the schema type
  /// SavedQueryFieldListObject: its attributes, its child elements in order and in their
  /// namespaces, and every value (see "Validating messages" in the README). Its own name is not
  /// looked at. Throws Exceptions::DomException, with the place, at the first fault in document
  /// order; reads the tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
#endif
  /// Adds the namespaces that writing this object needs (a list contributes its first
  /// entry's only).
  void getNamespaces(std::set<std::string>& namespaces) const {
    getHandleObject().getNamespaces(namespaces);
  }

  PELAGON_ALLOCATION_MEMBERS;
};

}  // namespace Savedquery
}  // namespace _2006_03
}  // namespace Query
}  // namespace Schemas
}  // namespace Corvanthel

extern template class ::Corvanthel::Soa::Common::Xml::Handle<
    ::Corvanthel::Schemas::Query::_2006_03::Savedquery::SavedQueryFieldListObjectImpl>;

#endif  // PELAGON_QUERY_2006_03_SAVEDQUERY_SAVEDQUERYFIELDLISTOBJECT_HXX
