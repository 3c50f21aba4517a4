// GetSavedQueriesInput: generated from query/2006_03/savedquery/SavedQuery.xsd by the schema
// compiler. Do not edit.
#ifndef PELAGON_QUERY_2006_03_SAVEDQUERY_GETSAVEDQUERIESINPUT_HXX
#define PELAGON_QUERY_2006_03_SAVEDQUERY_GETSAVEDQUERIESINPUT_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/runtime/Binding.hxx>
#include <pelagon/runtime/Export.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 0,
              "GetSavedQueriesInput.hxx was generated for binding runtime 0.1.0, full profile, not "
              "for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Query {
namespace _2006_03 {
namespace Savedquery {

/// The fields of GetSavedQueriesInput; held and shared through GetSavedQueriesInput handles.
class PELAGON_API GetSavedQueriesInputImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  GetSavedQueriesInputImpl();
  GetSavedQueriesInputImpl(const GetSavedQueriesInputImpl& other);
  GetSavedQueriesInputImpl& operator=(const GetSavedQueriesInputImpl&) = delete;
  ~GetSavedQueriesInputImpl() override;

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
  void getNamespaces(std::set<std::string>& namespaces) const;

  PELAGON_ALLOCATION_MEMBERS;

 protected:
  GetSavedQueriesInputImpl* reallyClone() const override;
};

/// Asks for the stored queries. Has no content. Child elements of any name are tolerated and
/// ignored when it is read, but a document that has them is not valid against this schema.
///
/// As a message, every field filled (`pelagon sample --indent 2`):
/// \verbinclude saved_queries_2006-03/GetSavedQueriesInput.xml
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class PELAGON_API GetSavedQueriesInput
    : public ::Corvanthel::Soa::Common::Xml::Handle<GetSavedQueriesInputImpl> {
 public:
  GetSavedQueriesInput();
  GetSavedQueriesInput(const GetSavedQueriesInput& other) = default;
  GetSavedQueriesInput& operator=(const GetSavedQueriesInput& other) = default;
  ~GetSavedQueriesInput() override;

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
  /// GetSavedQueriesInput: its attributes, its child elements in order and in their namespaces, and
  /// every value (see "Validating messages" in the README). Its own name is not looked at. Throws
  /// Exceptions::DomException, with the place, at the first fault in document order; reads the
  /// tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
  /// Checks that document is a valid GetSavedQueriesInput message: its root element is
  /// "GetSavedQueriesInput" in the namespace of this schema, valid as validate() checks.
  static void validateDocument(const ::Corvanthel::Soa::Common::Xml::XMLDocument& document);
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
    ::Corvanthel::Schemas::Query::_2006_03::Savedquery::GetSavedQueriesInputImpl>;

#endif  // PELAGON_QUERY_2006_03_SAVEDQUERY_GETSAVEDQUERIESINPUT_HXX
