// The documents the benchmarks measure, built through the library's own types, and the
// string-append writers that produce the same bytes without the library.
#ifndef PELAGON_BENCH_DOCUMENTS_HXX
#define PELAGON_BENCH_DOCUMENTS_HXX

#include <string>

#include <pelagon/pelagon.hxx>

namespace PelagonBench {

namespace Sq0603 = Corvanthel::Schemas::Query::_2006_03::Savedquery;
namespace Sq0706 = Corvanthel::Schemas::Query::_2007_06::Savedquery;
namespace Finder0706 = Corvanthel::Schemas::Query::_2007_06::Finder;

/// A "results": a 2007-06 ExecuteSavedQueriesResponse with `results` SavedQueryResults of 100
/// ints and 100 object references each.
Sq0706::ExecuteSavedQueriesResponse makeResults(int results);
/// B "criteria": a 2007-06 FindWorkspaceObjectsInput with `sets` find sets of 10 criteria each.
Finder0706::FindWorkspaceObjectsInput makeCriteria(int sets);
/// C "strings": a 2006-03 ExecuteSavedQueryInput with `entries` entries and as many values.
Sq0603::ExecuteSavedQueryInput makeStrings(int entries);

/// The same bytes as the library writes for these objects, by plain string appends.
std::string appendResults(const Sq0706::ExecuteSavedQueriesResponse& response);
std::string appendCriteria(const Finder0706::FindWorkspaceObjectsInput& input);
std::string appendStrings(const Sq0603::ExecuteSavedQueryInput& input);

/// The text of an object written as root element `name`.
template <class T>
std::string write(const T& object, const std::string& name) {
  Corvanthel::Soa::Common::Xml::XmlStream stream;
  object.outputXML(stream, name);
  return stream.release();
}

}  // namespace PelagonBench

#endif  // PELAGON_BENCH_DOCUMENTS_HXX
