// Saved queries 2008-06: running several stored queries tagged with client and request
// identifiers.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pelagon/query/2008_06/savedquery/ExecuteSavedQueriesInput.hxx>
#include <pelagon/query/2008_06/savedquery/QueryInput.hxx>
#include <varnicore/Exceptions.hxx>

#include "RoundTrip.hxx"

namespace {

using namespace Corvanthel::Schemas::Query::_2008_06::Savedquery;
using Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Strings = std::vector<std::string>;

const std::string kSchema = "query/2008_06/savedquery/SavedQuery.xsd";
const std::string kNs =
    R"( xmlns="http://schemas.corvanthel.example/Schemas/Query/2008-06/SavedQuery")";

using PelagonTest::contains;

TEST(SavedQuery2008_06, RequestRoundTripsWithItsAttributeOrder) {
  QueryInput pumps("pump \"search\" & co", 3, "req-1", 50, ModelObject("Qx5m", "SavedQuery"));
  pumps.addEntrie("Name");
  pumps.addValue("pump*");
  pumps.addLimitList(ModelObject("Fd2L", "Folder"));
  ExecuteSavedQueriesInput execute;
  execute.addInput(pumps);
  execute.addInput(QueryInput("", 0, "", 0, ModelObject()));
  const std::string text =
      PelagonTest::expectRoundTrip(execute, "ExecuteSavedQueriesInput", kSchema);
  EXPECT_TRUE(contains(text, R"(clientId="pump &quot;search&quot; &amp; co" resultsType="3" )"
                             R"(requestId="req-1" maxNumToReturn="50")"))
      << text;
  EXPECT_TRUE(contains(text, R"(clientId="" resultsType="0" requestId="" maxNumToReturn="0")"))
      << text;

  const auto back = PelagonTest::read<ExecuteSavedQueriesInput>(text);
  ASSERT_EQ(back.getInputArray().size(), 2u);
  const QueryInput& first = back.getInputArray()[0];
  EXPECT_EQ(first.getClientId(), "pump \"search\" & co");
  EXPECT_EQ(first.getRequestId(), "req-1");
  EXPECT_EQ(first.getResultsType(), 3);
  EXPECT_EQ(first.getMaxNumToReturn(), 50);
  EXPECT_EQ(first.getLimitListArray().at(0).getUid(), "Fd2L");
}

TEST(SavedQuery2008_06, EmptyRequestGivesStartAndEndTags) {
  const std::string text = PelagonTest::write(ExecuteSavedQueriesInput(), "E");
  EXPECT_EQ(text.substr(text.find('>')), "></E>") << text;
}

TEST(SavedQuery2008_06, A2007_09QueryInputReadsWithEmptyIdentifiers) {
  const auto input = PelagonTest::read<QueryInput>(
      "<input resultsType='1' maxNumToReturn='25'" + kNs +
      "><query uid='Qx5m'/><entries>Name</entries><values>a</values><entries>Type</entries>"
      "</input>");
  EXPECT_EQ(input.getClientId(), "");
  EXPECT_EQ(input.getRequestId(), "");
  EXPECT_EQ(input.getResultsType(), 1);
  EXPECT_EQ(input.getMaxNumToReturn(), 25);
  EXPECT_EQ(input.getEntrieArray(), (Strings{"Name", "Type"}));
  EXPECT_EQ(input.getValueArray(), (Strings{"a"}));
}

TEST(SavedQuery2008_06, ReadingAppendsAndRejectsResultChildren) {
  const auto document = Corvanthel::Soa::Common::Xml::XMLDocument::parse(
      "<E" + kNs + "><input clientId='a'/><input clientId='b'/></E>");
  ExecuteSavedQueriesInput execute;
  execute.parse(document.getRootElement());
  execute.parse(document.getRootElement());
  ASSERT_EQ(execute.getInputArray().size(), 4u);
  EXPECT_EQ(execute.getInputArray()[3].getClientId(), "b");

  try {
    PelagonTest::read<QueryInput>("<input" + kNs + "><objectsRelMap>1</objectsRelMap></input>");
    ADD_FAILURE() << "no DomException";
  } catch (const DomException& error) {
    EXPECT_EQ(error.getMessage(), "Unexpected node name: objectsRelMap");
  }
}

}  // namespace
