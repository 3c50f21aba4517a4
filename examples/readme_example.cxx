#include <iostream>

#include <pelagon/pelagon.hxx>

namespace Savedquery = Corvanthel::Schemas::Query::_2006_03::Savedquery;
namespace Base = Corvanthel::Schemas::Soa::_2006_03::Base;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XmlStream;

int main() {
  // Write a request.
  Savedquery::ExecuteSavedQueryInput request(25, Base::ModelObject("QxA5m9kS2fTlTb", "SavedQuery"));
  request.addEntrie("Name");
  request.addValue("pump housing*");
  XmlStream stream;
  request.outputXML(stream, "ExecuteSavedQueryInput");
  std::cout << stream.str() << '\n';

  // Read a response.
  const std::string received =
      R"(<ExecuteSavedQueryResponse nFound="1" )"
      R"(xmlns="http://schemas.corvanthel.example/Schemas/Query/2006-03/SavedQuery">)"
      R"(<objects uid="Ab12Cd34Ef56Gh" type="Item"/></ExecuteSavedQueryResponse>)";
  try {
    const XMLDocument document = XMLDocument::parse(received);
    Savedquery::ExecuteSavedQueryResponse response;
    response.parse(document.getRootElement());
    for (const Base::ModelObject& object : response.getObjectArray()) {
      std::cout << object.getType() << ' ' << object.getUid() << '\n';
    }
  } catch (const DomException& error) {  // malformed text, or an element it does not expect
    std::cerr << error.getMessage() << '\n';
    return 1;
  }
}
