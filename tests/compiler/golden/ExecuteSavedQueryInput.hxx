// ExecuteSavedQueryInput: generated from query/2006_03/savedquery/SavedQuery.xsd by the schema
// compiler. Do not edit.
#ifndef PELAGON_QUERY_2006_03_SAVEDQUERY_EXECUTESAVEDQUERYINPUT_HXX
#define PELAGON_QUERY_2006_03_SAVEDQUERY_EXECUTESAVEDQUERYINPUT_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/runtime/Binding.hxx>
#include <pelagon/runtime/Export.hxx>
#include <varnicore/soa/2006_03/base/ModelObject.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 0,
              "ExecuteSavedQueryInput.hxx was generated for binding runtime 0.1.0, full profile, "
              "not for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Query {
namespace _2006_03 {
namespace Savedquery {

/// The fields of ExecuteSavedQueryInput; held and shared through ExecuteSavedQueryInput handles.
class PELAGON_API ExecuteSavedQueryInputImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  ExecuteSavedQueryInputImpl();
  ExecuteSavedQueryInputImpl(int limit,
                             const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& query);
  ExecuteSavedQueryInputImpl(const ExecuteSavedQueryInputImpl& other);
  ExecuteSavedQueryInputImpl& operator=(const ExecuteSavedQueryInputImpl&) = delete;
  ~ExecuteSavedQueryInputImpl() override;

  int getLimit() const { return limit_; }
  void setLimit(int value) { limit_ = value; }
  ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& getQuery() { return query_; }
  const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& getQuery() const { return query_; }
  void setQuery(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& value) {
    query_ = value;
  }
  const std::vector<std::string>& getEntrieArray() const { return entries_; }
  void setEntrieArray(const std::vector<std::string>& values) { entries_ = values; }
  void addEntrie(const std::string& value) { entries_.push_back(value); }
  const std::vector<std::string>& getValueArray() const { return values_; }
  void setValueArray(const std::vector<std::string>& values) { values_ = values; }
  void addValue(const std::string& value) { values_.push_back(value); }

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
  void getNamespaces(std::set<std::string>& namespaces) const;

  PELAGON_ALLOCATION_MEMBERS;

 protected:
  ExecuteSavedQueryInputImpl* reallyClone() const override;

 private:
  int limit_ = 0;
  ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject query_;
  std::vector<std::string> entries_;
  std::vector<std::string> values_;
};

/// Runs one stored query with values for its input fields. The entry names and the values are
/// independent lists; their lengths are not checked against each other.
///
/// As a message, every field filled (`pelagon sample --indent 2`):
/// \verbinclude saved_queries_2006-03/ExecuteSavedQueryInput.xml
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class PELAGON_API ExecuteSavedQueryInput
    : public ::Corvanthel::Soa::Common::Xml::Handle<ExecuteSavedQueryInputImpl> {
 public:
  ExecuteSavedQueryInput();
  ExecuteSavedQueryInput(int limit,
                         const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& query);
  ExecuteSavedQueryInput(const ExecuteSavedQueryInput& other) = default;
  ExecuteSavedQueryInput& operator=(const ExecuteSavedQueryInput& other) = default;
  ~ExecuteSavedQueryInput() override;

  /// The most objects to return.
  int getLimit() const { return getHandleObject().getLimit(); }
  void setLimit(int value) { getHandleObject().setLimit(value); }
  /// The query to run.
  ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& getQuery() {
    return getHandleObject().getQuery();
  }
  const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& getQuery() const {
    return getHandleObject().getQuery();
  }
  void setQuery(const ::Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject& value) {
    getHandleObject().setQuery(value);
  }
  /// The names of the input fields given a value.
  const std::vector<std::string>& getEntrieArray() const {
    return getHandleObject().getEntrieArray();
  }
  void setEntrieArray(const std::vector<std::string>& values) {
    getHandleObject().setEntrieArray(values);
  }
  void addEntrie(const std::string& value) { getHandleObject().addEntrie(value); }
  /// The values of those fields.
  const std::vector<std::string>& getValueArray() const {
    return getHandleObject().getValueArray();
  }
  void setValueArray(const std::vector<std::string>& values) {
    getHandleObject().setValueArray(values);
  }
  void addValue(const std::string& value) { getHandleObject().addValue(value); }

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
  /// ExecuteSavedQueryInput: its attributes, its child elements in order and in their namespaces,
  /// and every value (see "Validating messages" in the README). Its own name is not looked at.
  /// Throws Exceptions::DomException, with the place, at the first fault in document order; reads
  /// the tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
  /// Checks that document is a valid ExecuteSavedQueryInput message: its root element is
  /// "ExecuteSavedQueryInput" in the namespace of this schema, valid as validate() checks.
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
    ::Corvanthel::Schemas::Query::_2006_03::Savedquery::ExecuteSavedQueryInputImpl>;

#endif  // PELAGON_QUERY_2006_03_SAVEDQUERY_EXECUTESAVEDQUERYINPUT_HXX
