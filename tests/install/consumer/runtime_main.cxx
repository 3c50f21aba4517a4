// Uses only what the binding runtime target brings: the runtime and the base types.
#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>
#include <varnicore/soa/2006_03/base/ModelObject.hxx>

int main() {
  Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject object("Ab12", "Item");
  Corvanthel::Soa::Common::Xml::XmlStream stream;
  object.outputXML(stream, "object");
  Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject copy;
  copy.parse(Corvanthel::Soa::Common::Xml::XMLDocument::parse(stream.str()).getRootElement());
  return copy.getUid() == "Ab12" ? 0 : 1;
}
