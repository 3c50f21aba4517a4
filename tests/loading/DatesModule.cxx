// The module that the late-load test opens: it links the libraries, so that they come into the
// process with it, after start-up, as they would into a program that opens its plug-ins. Its one
// function writes dates and reads them back on the calling thread, which takes that thread's
// spare text of the runtime.
#include <cstddef>
#include <cstdio>
#include <exception>
#include <string>

#include <varnicore/Config.hxx>
#include <varnicore/Conversions.hxx>
#include <varnicore/DateTime.hxx>
#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>
#if !VARNICORE_REDUCED_PROFILE
#include <pelagon/query/2007_06/finder/WSOFindCriteria.hxx>
#endif

namespace {

using Corvanthel::Soa::Common::DateTime;
using Corvanthel::Soa::Common::Xml::lexical_cast;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XmlStream;

constexpr std::size_t kDateCount = 6;
const char* const kNames[kDateCount] = {"modifiedBefore", "createdBefore", "releasedBefore",
                                        "createdAfter",   "releasedAfter", "modifiedAfter"};

/// Writes dates and reads them back into back; returns the text written.
std::string roundTrip(const DateTime (&dates)[kDateCount], DateTime (&back)[kDateCount]) {
  XmlStream stream;
#if !VARNICORE_REDUCED_PROFILE
  using Corvanthel::Schemas::Query::_2007_06::Finder::WSOFindCriteria;
  using Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject;
  const WSOFindCriteria criteria(dates[0], "Item", dates[1], "Pump", dates[2], dates[3], dates[4],
                                 "Home", dates[5], ModelObject("Us4rJw9a", "User"),
                                 ModelObject("Gp0eNg8i", "Group"));
  criteria.outputXML(stream, "WSOFindCriteria");
  const std::string text = stream.str();
  const XMLDocument document = XMLDocument::parse(text);
  WSOFindCriteria read;
  read.parse(document.getRootElement());
  const DateTime found[kDateCount] = {read.getModifiedBefore(), read.getCreatedBefore(),
                                      read.getReleasedBefore(), read.getCreatedAfter(),
                                      read.getReleasedAfter(),  read.getModifiedAfter()};
  for (std::size_t i = 0; i < kDateCount; ++i)
    back[i] = found[i];
#else
  // The reduced release has no type with a date: the dates are written as its generated code
  // would write them, through the runtime.
  stream << stream.writeOpenElement("", "Dates");
  for (std::size_t i = 0; i < kDateCount; ++i)
    stream << stream.writeAttribute(kNames[i], lexical_cast<std::string>(dates[i]));
  stream << stream.writeOpenElementClose("", true);
  const std::string text = stream.str();
  const XMLDocument document = XMLDocument::parse(text);
  for (std::size_t i = 0; i < kDateCount; ++i)
    back[i] = lexical_cast<DateTime>(document.getRootElement().getAttr(kNames[i]));
#endif
  return text;
}

std::string compare() {
  const DateTime dates[kDateCount] = {DateTime(2007, 6, 15, 17, 30, 0),
                                      DateTime(2008, 2, 29, 12, 0, 0),
                                      DateTime(9999, 12, 31, 23, 59, 59),
                                      DateTime(2007, 1, 1, 0, 0, 0),
                                      DateTime(),
                                      DateTime(2000, 2, 29, 23, 59, 59)};
  DateTime back[kDateCount];
  const std::string text = roundTrip(dates, back);
  for (std::size_t i = 0; i < kDateCount; ++i) {
    if (back[i] != dates[i])
      return std::string(kNames[i]) + " came back as " + lexical_cast<std::string>(back[i]) +
             " from " + text;
  }
  return "";
}

}  // namespace

/// 0 when the dates came back as written; otherwise 1, and message holds what went wrong.
extern "C" __attribute__((visibility("default"))) int pelagon_dates_round_trip(
    char* message, std::size_t size) noexcept {
  std::string fault;
  try {
    fault = compare();
  } catch (const Corvanthel::Soa::Common::Exceptions::DomException& error) {
    fault = error.getMessage();
  } catch (const std::exception& error) {
    fault = error.what();
  }
  std::snprintf(message, size, "%s", fault.c_str());
  return fault.empty() ? 0 : 1;
}
