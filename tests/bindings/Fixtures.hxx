// Filled objects of every 2006-03 saved-query type and small helpers shared by the binding tests.
#ifndef PELAGON_TEST_BINDINGS_FIXTURES_HXX
#define PELAGON_TEST_BINDINGS_FIXTURES_HXX

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pelagon/pelagon.hxx>

#include "RoundTrip.hxx"

namespace BindingTest {

namespace Sq = ::Corvanthel::Schemas::Query::_2006_03::Savedquery;
namespace Base = ::Corvanthel::Schemas::Soa::_2006_03::Base;
using ::Corvanthel::Soa::Common::Exceptions::DomException;
using ::Corvanthel::Soa::Common::Xml::XMLDocument;
using ::Corvanthel::Soa::Common::Xml::XMLNode;
using ::Corvanthel::Soa::Common::Xml::XmlStream;

const std::string kQueryNs = "http://schemas.corvanthel.example/Schemas/Query/2006-03/SavedQuery";
const std::string kBaseNs = "http://schemas.corvanthel.example/Schemas/Soa/2006-03/Base";
const std::string kQueryPrefix = "Corvanthel::Schemas::Query::_2006_03::Savedquery::";
const std::string kBasePrefix = "Corvanthel::Schemas::Soa::_2006_03::Base::";

/// The schema files, as absolute paths.
inline std::string messageSchema() {
  return PelagonTest::schemaFile("query/2006_03/savedquery/SavedQuery.xsd");
}
inline std::string baseSchema() {
  return PelagonTest::schemaFile("soa/2006_03/base/Base.xsd");
}
/// Declares document elements for the structures, which the message schema has as types only.
inline std::string structureSchema() {
  return std::string(PELAGON_BINDING_TEST_DIR) + "/Structures.xsd";
}

/// Opens a facade's implementation object to the tests. A Peek is a copy of the facade, so it
/// holds one reference of its own.
template <class F>
struct Peek : F {
  explicit Peek(const F& facade) : F(facade) {}
  using F::getHandleObject;
};

/// How many handles hold the facade's object.
template <class F>
int refCount(const F& facade) {
  return Peek<F>(facade).getHandleObject().getRefCount() - 1;
}

/// The facade's object, to tell whether two facades share one.
template <class F>
const void* objectOf(const F& facade) {
  return &Peek<F>(facade).getHandleObject();
}

/// Parses text and reads its root element into object.
template <class T>
void parseInto(T& object, const std::string& text) {
  const XMLDocument document = XMLDocument::parse(text);
  object.parse(document.getRootElement());
}

/// The message of the DomException that reading text into object throws.
template <class T>
std::string parseError(T& object, const std::string& text) {
  try {
    parseInto(object, text);
  } catch (const DomException& error) {
    return error.getMessage();
  }
  return "no DomException";
}

/// The local names of the root element's children, in document order.
inline std::vector<std::string> childNames(const std::string& text) {
  const XMLDocument document = XMLDocument::parse(text);
  std::vector<std::string> names;
  for (const XMLNode& child : document.getRootElement().getChildren())
    names.emplace_back(child.getLocalName());
  return names;
}

/// Filled objects. The strings include markup characters, blanks and non-ASCII text.
inline Base::ServiceData serviceData() {
  Base::ServiceData data;
  data.addPlainObject(Base::ModelObject("Ab12Cd34", "Item"));
  data.addPlainObject(Base::ModelObject("Ef56Gh78", "Item Revision"));
  data.addCreated("Ab12Cd34");
  data.addUpdated("Ef56Gh78");
  data.addUpdated(" Ij90 ");
  data.addDeleted("Kl12");
  Base::PartialError locked("client-1");
  locked.addErrorValue(Base::ErrorValue(214001, 3, "Locked by <admin> & \"ops\""));
  locked.addErrorValue(Base::ErrorValue(-7, 1, "Zugriff verweigert: Größe\n"));
  data.addPartialError(locked);
  data.addPartialError(Base::PartialError("client-2"));
  return data;
}

inline Sq::SavedQueryObject savedQuery(const std::string& name) {
  return Sq::SavedQueryObject(name, "Finds items whose name matches 'a*'",
                              Base::ModelObject("Qr34" + name, "Query"));
}

inline Sq::SavedQueryFieldObject field(const std::string& entryName) {
  return Sq::SavedQueryFieldObject(">", "object_name", 8, entryName, "*pump*", "AND",
                                   Base::ModelObject("Lv01", "List Of Values"));
}

inline Sq::SavedQueryFieldListObject fieldList() {
  Sq::SavedQueryFieldListObject list;
  list.addField(field("Name"));
  list.addField(field("Type\t(main)"));
  return list;
}

inline Sq::GetSavedQueriesResponse getResponse() {
  Sq::GetSavedQueriesResponse response(serviceData());
  response.addQuerie(savedQuery("Item Name"));
  response.addQuerie(savedQuery("Général"));
  return response;
}

inline Sq::DescribeSavedQueriesInput describeInput() {
  Sq::DescribeSavedQueriesInput input;
  input.addQuerie(Base::ModelObject("Qr34", "Query"));
  input.addQuerie(Base::ModelObject("Qr56", "Query"));
  return input;
}

inline Sq::DescribeSavedQueriesResponse describeResponse() {
  Sq::DescribeSavedQueriesResponse response(serviceData());
  response.addFieldList(fieldList());
  response.addFieldList(Sq::SavedQueryFieldListObject());
  return response;
}

inline Sq::ExecuteSavedQueryInput executeInput() {
  Sq::ExecuteSavedQueryInput input(25, Base::ModelObject("Qr34", "Query"));
  input.addEntrie("Name");
  input.addEntrie("Type");
  input.addValue("pump <main> & \"spare\"");
  input.addValue("Part");
  return input;
}

inline Sq::ExecuteSavedQueryResponse executeResponse() {
  Sq::ExecuteSavedQueryResponse response(42, serviceData());
  response.addObject(Base::ModelObject("Ab12Cd34", "Item"));
  response.addObject(Base::ModelObject("Ef56Gh78", "Item"));
  return response;
}

}  // namespace BindingTest

#endif  // PELAGON_TEST_BINDINGS_FIXTURES_HXX
