// Reads arbitrary bytes as a document into a fresh object of every document type, writes each
// filled object, reads that text once more and writes it again. Only the runtime's own exceptions
// may leave the library; the library's output must read back and write to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <pelagon/pelagon.hxx>

namespace {

using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Exceptions::InvalidXmlText;
using Corvanthel::Soa::Common::Xml::TryingToCreateNullHandle;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XMLNode;
using Corvanthel::Soa::Common::Xml::XmlStream;

[[noreturn]] void finding(const char* type, const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n%s\n", type, what, detail.c_str());
  std::abort();
}

template <class T>
std::string written(const T& object, const char* name) {
  XmlStream stream;
  object.outputXML(stream, name);
  return stream.str();
}

template <class T>
void readWriteRead(const XMLNode& root, const char* name) {
  std::string first;
  try {
    T object;
    object.parse(root);
    first = written(object, name);
  } catch (const DomException&) {
    return;
  } catch (const TryingToCreateNullHandle&) {
    return;
  } catch (const InvalidXmlText&) {
    return;
  }
  // What the library wrote, it reads back into the same object.
  try {
    const XMLDocument again = XMLDocument::parse(first);
    T object;
    object.parse(again.getRootElement());
    const std::string second = written(object, name);
    if (second != first)
      finding(name, "writes differently after a read of its own output", first + "\n" + second);
  } catch (const DomException& error) {
    finding(name, "cannot read its own output", error.getMessage() + "\n" + first);
  } catch (const InvalidXmlText& error) {
    finding(name, "cannot write what it read from its own output", error.what());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const XMLDocument document = XMLDocument::parse(std::move(text));
    const XMLNode root = document.getRootElement();
#define PELAGON_FUZZ_TYPE(ns, name) readWriteRead<ns::name>(root, #name)
    namespace Base = ::Corvanthel::Schemas::Soa::_2006_03::Base;
    namespace Sq0603 = ::Corvanthel::Schemas::Query::_2006_03::Savedquery;
    namespace Sq0701 = ::Corvanthel::Schemas::Query::_2007_01::Savedquery;
    namespace Sq0706 = ::Corvanthel::Schemas::Query::_2007_06::Savedquery;
    namespace Sq0709 = ::Corvanthel::Schemas::Query::_2007_09::Savedquery;
    namespace Sq0806 = ::Corvanthel::Schemas::Query::_2008_06::Savedquery;
    namespace Fi0706 = ::Corvanthel::Schemas::Query::_2007_06::Finder;
    namespace If0806 = ::Corvanthel::Schemas::Internal::Query::_2008_06::Finder;
    // Every type that a global element of a schema has: the document types.
    PELAGON_FUZZ_TYPE(Base, ServiceData);
    PELAGON_FUZZ_TYPE(Sq0603, GetSavedQueriesInput);
    PELAGON_FUZZ_TYPE(Sq0603, GetSavedQueriesResponse);
    PELAGON_FUZZ_TYPE(Sq0603, DescribeSavedQueriesInput);
    PELAGON_FUZZ_TYPE(Sq0603, DescribeSavedQueriesResponse);
    PELAGON_FUZZ_TYPE(Sq0603, ExecuteSavedQueryInput);
    PELAGON_FUZZ_TYPE(Sq0603, ExecuteSavedQueryResponse);
    PELAGON_FUZZ_TYPE(Sq0701, SaveQueryCriteriasInput);
    PELAGON_FUZZ_TYPE(Sq0701, RetrieveQueryCriteriasInput);
    PELAGON_FUZZ_TYPE(Sq0701, RetrieveQueryCriteriaResponse);
    PELAGON_FUZZ_TYPE(Sq0701, DeleteQueryCriteriasInput);
    PELAGON_FUZZ_TYPE(Sq0701, ReorderSavedQueryCriteriasInput);
    PELAGON_FUZZ_TYPE(Sq0706, ExecuteSavedQueriesInput);
    PELAGON_FUZZ_TYPE(Sq0706, ExecuteSavedQueriesResponse);
    PELAGON_FUZZ_TYPE(Sq0706, SaveSearchCriteriaInput);
    PELAGON_FUZZ_TYPE(Sq0706, RetrieveSearchCriteriaInput);
    PELAGON_FUZZ_TYPE(Sq0706, RetrieveSearchCriteriaResponse);
    PELAGON_FUZZ_TYPE(Sq0709, ExecuteSavedQueriesInput);
    PELAGON_FUZZ_TYPE(Sq0709, SavedQueriesResponse);
    PELAGON_FUZZ_TYPE(Sq0806, ExecuteSavedQueriesInput);
    PELAGON_FUZZ_TYPE(Fi0706, FindWorkspaceObjectsInput);
    PELAGON_FUZZ_TYPE(Fi0706, FindWorkspaceObjectsResponse);
    PELAGON_FUZZ_TYPE(If0806, FindObjectsByClassAndAttributesInput);
    PELAGON_FUZZ_TYPE(If0806, FindObjectsResponse);
#undef PELAGON_FUZZ_TYPE
  } catch (const DomException&) {
  }
  return 0;
}
