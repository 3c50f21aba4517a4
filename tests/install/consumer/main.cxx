// Writes a request and reads it back through the installed headers and libraries only.
#include <iostream>

#include <pelagon/pelagon.hxx>

namespace Savedquery = Corvanthel::Schemas::Query::_2006_03::Savedquery;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XmlStream;

int main() {
  Savedquery::ExecuteSavedQueryInput request;
  request.setLimit(7);
  request.getQuery().setUid("Ab12Cd34Ef56Gh");
  request.addEntrie("Name");
  request.addValue("a < b");

  XmlStream stream;
  request.outputXML(stream, "ExecuteSavedQueryInput");

  Savedquery::ExecuteSavedQueryInput copy;
  copy.parse(XMLDocument::parse(stream.str()).getRootElement());
  if (copy.getLimit() != 7 || copy.getValueArray().at(0) != "a < b")
    return 1;
  std::cout << stream.str() << '\n';
  return 0;
}
