// Shared by the robustness tests: the types they read and small helpers.
#ifndef PELAGON_TEST_ROBUSTNESS_HOSTILE_HXX
#define PELAGON_TEST_ROBUSTNESS_HOSTILE_HXX

#include <string>

#include <pelagon/pelagon.hxx>

#include "RoundTrip.hxx"

namespace Robustness {

namespace Sq = ::Corvanthel::Schemas::Query::_2006_03::Savedquery;
#if !PELAGON_BINDING_REDUCED
namespace Sq0706 = ::Corvanthel::Schemas::Query::_2007_06::Savedquery;
namespace Finder = ::Corvanthel::Schemas::Query::_2007_06::Finder;
#endif
namespace Base = ::Corvanthel::Schemas::Soa::_2006_03::Base;
using ::Corvanthel::Soa::Common::DateTime;
using ::Corvanthel::Soa::Common::Exceptions::DomException;
using ::Corvanthel::Soa::Common::Exceptions::InvalidXmlText;
using ::Corvanthel::Soa::Common::Xml::TryingToCreateNullHandle;
using ::Corvanthel::Soa::Common::Xml::XMLDocument;
using ::Corvanthel::Soa::Common::Xml::XMLNode;
using ::Corvanthel::Soa::Common::Xml::XmlStream;

const std::string kQueryNs = "http://schemas.corvanthel.example/Schemas/Query/2006-03/SavedQuery";
const std::string kFinderNs = "http://schemas.corvanthel.example/Schemas/Query/2007-06/Finder";

/// An ExecuteSavedQueryInput document whose root element holds content after its attributes.
inline std::string queryInput(const std::string& content, const std::string& attributes = "") {
  return "<ExecuteSavedQueryInput xmlns=\"" + kQueryNs + "\"" + attributes + ">" + content +
         "</ExecuteSavedQueryInput>";
}

}  // namespace Robustness

#endif  // PELAGON_TEST_ROBUSTNESS_HOSTILE_HXX
