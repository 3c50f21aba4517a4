// Saved queries 2007-09: running several stored queries, results named by identifiers; and how
// 2007-06 documents read into these types.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pelagon/query/2007_09/savedquery/ExecuteSavedQueriesInput.hxx>
#include <pelagon/query/2007_09/savedquery/QueryInput.hxx>
#include <pelagon/query/2007_09/savedquery/QueryResults.hxx>
#include <pelagon/query/2007_09/savedquery/SavedQueriesResponse.hxx>
#include <varnicore/Exceptions.hxx>

#include "RoundTrip.hxx"

namespace {

using namespace Corvanthel::Schemas::Query::_2007_09::Savedquery;
using Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject;
using Corvanthel::Schemas::Soa::_2006_03::Base::PartialError;
using Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Strings = std::vector<std::string>;

const std::string kSchema = "query/2007_09/savedquery/SavedQuery.xsd";
const std::string kNs =
    R"( xmlns="http://schemas.corvanthel.example/Schemas/Query/2007-09/SavedQuery")";

using PelagonTest::contains;

TEST(SavedQuery2007_09, EveryMessageRoundTripsAndValidates) {
  QueryInput pumps(3, 50, ModelObject("Qx5m", "SavedQuery"));
  pumps.addEntrie("Name");
  pumps.addValue("pump & \"housing\"");
  pumps.addLimitList(ModelObject("Fd2L", "Folder"));
  pumps.addLimitList(ModelObject("Fd7H", "Folder"));
  ExecuteSavedQueriesInput execute;
  execute.addInput(pumps);
  execute.addInput(QueryInput(0, 0, ModelObject()));
  const std::string request =
      PelagonTest::expectRoundTrip(execute, "ExecuteSavedQueriesInput", kSchema);
  EXPECT_TRUE(contains(request, R"(resultsType="3" maxNumToReturn="50")")) << request;
  EXPECT_TRUE(contains(request, ">pump &amp; &quot;housing&quot;<")) << request;

  QueryResults results;
  results.addObjectUIDS("Ab12");
  results.addObjectUIDS("a&b");
  results.addObjectsRelMap(-1);
  results.addObjectsRelMap(7);
  ServiceData data;
  data.addPartialError(PartialError("query-2"));
  SavedQueriesResponse response(data);
  response.addArrayOfResult(results);
  response.addArrayOfResult(QueryResults());
  const std::string text = PelagonTest::expectRoundTrip(response, "SavedQueriesResponse", kSchema);
  EXPECT_LT(text.find(">7<"), text.find(">Ab12<")) << "ints are written before identifiers";
  EXPECT_TRUE(contains(text, ">a&amp;b<")) << text;
  EXPECT_GT(text.find("<ServiceData"), text.rfind("arrayOfResults")) << "ServiceData last";
}

TEST(SavedQuery2007_09, EmptyResultsAndRequestsGiveStartAndEndTags) {
  const std::string results = PelagonTest::write(QueryResults(), "R");
  EXPECT_EQ(results.substr(results.find('>')), "></R>") << results;
  const std::string request = PelagonTest::write(ExecuteSavedQueriesInput(), "E");
  EXPECT_EQ(request.substr(request.find('>')), "></E>") << request;
}

TEST(SavedQuery2007_09, InterleavedResultsAreReadInOrderAndWrittenGrouped) {
  const auto results = PelagonTest::read<QueryResults>(
      "<R" + kNs +
      "><objectUIDS>u1</objectUIDS><objectsRelMap>-1</objectsRelMap><objectUIDS>u2</objectUIDS>"
      "<objectsRelMap>2147483647</objectsRelMap></R>");
  EXPECT_EQ(results.getObjectsRelMapArray(), (std::vector<int>{-1, 2147483647}));
  EXPECT_EQ(results.getObjectUIDSArray(), (Strings{"u1", "u2"}));
  const std::string text = PelagonTest::write(results, "R");
  EXPECT_LT(text.find(">2147483647<"), text.find(">u1<")) << text;
}

TEST(SavedQuery2007_09, ServiceDataIsReadBeforeTheResults) {
  const auto response = PelagonTest::read<SavedQueriesResponse>(
      "<S" + kNs +
      "><ServiceData><deleted>d1</deleted></ServiceData><arrayOfResults><objectUIDS>u1"
      "</objectUIDS></arrayOfResults><arrayOfResults/></S>");
  EXPECT_EQ(response.getServiceData().getDeletedArray(), (Strings{"d1"}));
  ASSERT_EQ(response.getArrayOfResultArray().size(), 2u);
  EXPECT_EQ(response.getArrayOfResultArray()[0].getObjectUIDSArray(), (Strings{"u1"}));
}

TEST(SavedQuery2007_09, OlderDocuments) {
  // A 2007-06 query input: the two attributes this version dropped are ignored.
  const auto input = PelagonTest::read<QueryInput>(
      "<input maxNumToInflate='10' resultsType='1' limitListCount='5' maxNumToReturn='50'" + kNs +
      "><query uid='Qx5m' type='SavedQuery'/><limitList uid='Fd2L' type='Folder'/></input>");
  EXPECT_EQ(input.getResultsType(), 1);
  EXPECT_EQ(input.getMaxNumToReturn(), 50);
  EXPECT_EQ(input.getQuery().getUid(), "Qx5m");
  EXPECT_EQ(input.getLimitListArray().size(), 1u);
  const std::string text = PelagonTest::write(input, "input");
  EXPECT_FALSE(contains(text, "maxNumToInflate")) << text;
  EXPECT_FALSE(contains(text, "limitListCount")) << text;

  // A 2007-06 result: its object references went under a name this version no longer knows.
  QueryResults results;
  const auto document = Corvanthel::Soa::Common::Xml::XMLDocument::parse(
      "<arrayOfResults numOfObjects='1'" + kNs +
      "><objectsRelMap>0</objectsRelMap><objects uid='Ab12' type='Item'/></arrayOfResults>");
  try {
    results.parse(document.getRootElement());
    ADD_FAILURE() << "no DomException";
  } catch (const DomException& error) {
    EXPECT_EQ(error.getMessage(), "Unexpected node name: objects");
  }
  EXPECT_EQ(results.getObjectsRelMapArray(), (std::vector<int>{0})) << "what was read stays";
}

}  // namespace
