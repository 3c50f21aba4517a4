#include <iostream>
#include <string>

#include <pelagon/pelagon.hxx>

namespace Savedquery = Corvanthel::Schemas::Query::_2006_03::Savedquery;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;

// A server's first step with a request: refuse it unless it is a valid 2006-03
// ExecuteSavedQueryInput, then read it.
bool handle(const std::string& received) {
  try {
    const XMLDocument document = XMLDocument::parse(received);
    Savedquery::ExecuteSavedQueryInput::validateDocument(document);
    Savedquery::ExecuteSavedQueryInput request;
    request.parse(document.getRootElement());
    std::cout << "run " << request.getQuery().getUid() << ", limit " << request.getLimit() << '\n';
    return true;
  } catch (const DomException& error) {  // not well-formed or not valid: the first fault, placed
    std::cout << "refused: " << error.getMessage() << '\n';
    return false;
  }
}

int main() {
  const std::string start =
      R"(<ExecuteSavedQueryInput )"
      R"(xmlns="http://schemas.corvanthel.example/Schemas/Query/2006-03/SavedQuery")";
  const bool accepted =
      handle(start + R"( limit="25"><query uid="QxA5m9kS2fTlTb" type="SavedQuery"/>)"
                     R"(<entries>Name</entries></ExecuteSavedQueryInput>)");
  // Reading alone takes this one too, with an empty query and the maximum dropped.
  const bool refused =
      !handle(start + R"( max="25"><entries>Name</entries></ExecuteSavedQueryInput>)");
  return accepted && refused ? 0 : 1;
}
