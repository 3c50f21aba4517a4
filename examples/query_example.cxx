// Writes a request of the 2006-03 saved-query service and reads the responses given on the
// command line:
//
//   query_example [RESPONSE.xml...]
//
// Each response file must hold a GetSavedQueriesResponse, DescribeSavedQueriesResponse or
// ExecuteSavedQueryResponse document; the program prints what it holds. Exit status 1 when a
// file cannot be read.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <pelagon/pelagon.hxx>

namespace Savedquery = Corvanthel::Schemas::Query::_2006_03::Savedquery;
namespace Base = Corvanthel::Schemas::Soa::_2006_03::Base;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XMLNode;
using Corvanthel::Soa::Common::Xml::XmlStream;

namespace {

std::string writeRequest() {
  Savedquery::ExecuteSavedQueryInput request(25, Base::ModelObject("QxA5m9kS2fTlTb", "SavedQuery"));
  request.addEntrie("Name");
  request.addValue("pump housing*");
  request.addEntrie("Owning User");
  request.addValue("engineering & test");

  XmlStream stream;
  request.outputXML(stream, "ExecuteSavedQueryInput");
  return stream.str();
}

void printServiceData(const Base::ServiceData& data) {
  for (const Base::PartialError& error : data.getPartialErrorArray()) {
    for (const Base::ErrorValue& value : error.getErrorValueArray()) {
      std::cout << "  error " << value.getCode() << " for " << error.getClientId() << ": "
                << value.getMessage() << '\n';
    }
  }
}

void printResponse(const XMLNode& root) {
  const std::string_view name = root.getLocalName();
  if (name == "GetSavedQueriesResponse") {
    Savedquery::GetSavedQueriesResponse response;
    response.parse(root);
    std::cout << response.getQuerieArray().size() << " saved queries\n";
    for (const Savedquery::SavedQueryObject& query : response.getQuerieArray()) {
      std::cout << "  " << query.getName() << " (" << query.getQuery().getUid()
                << "): " << query.getDescription() << '\n';
    }
    printServiceData(response.getServiceData());
  } else if (name == "DescribeSavedQueriesResponse") {
    Savedquery::DescribeSavedQueriesResponse response;
    response.parse(root);
    for (const Savedquery::SavedQueryFieldListObject& list : response.getFieldListArray()) {
      std::cout << "query with " << list.getFieldArray().size() << " fields\n";
      for (const Savedquery::SavedQueryFieldObject& field : list.getFieldArray()) {
        std::cout << "  " << field.getLogicalOperation() << ' ' << field.getEntryName() << ' '
                  << field.getMathOperation() << " \"" << field.getValue() << "\"\n";
      }
    }
    printServiceData(response.getServiceData());
  } else if (name == "ExecuteSavedQueryResponse") {
    Savedquery::ExecuteSavedQueryResponse response;
    response.parse(root);
    std::cout << response.getNFound() << " objects found, " << response.getObjectArray().size()
              << " returned\n";
    for (const Base::ModelObject& object : response.getObjectArray()) {
      std::cout << "  " << object.getType() << ' ' << object.getUid() << '\n';
    }
    printServiceData(response.getServiceData());
  } else {
    throw DomException("not a saved-query response: " + std::string(name));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::cout << "request:\n" << writeRequest() << "\n\n";
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream file(argv[i], std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::cout << argv[i] << ":\n";
    try {
      if (!file)
        throw DomException("cannot read the file");
      const XMLDocument document = XMLDocument::parse(text.str());
      printResponse(document.getRootElement());
    } catch (const DomException& error) {
      std::cerr << argv[i] << ": error: " << error.getMessage() << '\n';
      status = 1;
    }
  }
  return status;
}
