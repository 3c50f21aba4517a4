// Saved queries 2007-06: running several stored queries, and saving and retrieving search
// criteria.
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pelagon/query/2007_06/savedquery/ExecuteSavedQueriesInput.hxx>
#include <pelagon/query/2007_06/savedquery/ExecuteSavedQueriesResponse.hxx>
#include <pelagon/query/2007_06/savedquery/RetrieveSearchCriteriaInput.hxx>
#include <pelagon/query/2007_06/savedquery/RetrieveSearchCriteriaResponse.hxx>
#include <pelagon/query/2007_06/savedquery/SaveSearchCriteriaInfo.hxx>
#include <pelagon/query/2007_06/savedquery/SaveSearchCriteriaInput.hxx>
#include <pelagon/query/2007_06/savedquery/SavedQueryInput.hxx>
#include <pelagon/query/2007_06/savedquery/SavedQueryResults.hxx>
#include <varnicore/Exceptions.hxx>

#include "RoundTrip.hxx"

namespace {

using namespace Corvanthel::Schemas::Query::_2007_06::Savedquery;
using Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject;
using Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Strings = std::vector<std::string>;

const std::string kSchema = "query/2007_06/savedquery/SavedQuery.xsd";
const std::string kNs =
    R"( xmlns="http://schemas.corvanthel.example/Schemas/Query/2007-06/SavedQuery")";
using PelagonTest::readError;

using PelagonTest::contains;

SavedQueryInput pumpQuery() {
  SavedQueryInput input(10, 1, 5, 50, ModelObject("Qx5m", "SavedQuery"));
  input.addEntrie("Name");
  input.addEntrie("Owner");
  input.addValue("pump*");
  input.addValue("R&D \"test\"");
  input.addLimitList(ModelObject("Fd2L", "Folder"));
  input.addLimitList(ModelObject("Fd7H", "Folder"));
  return input;
}

SaveSearchCriteriaInfo pumpCriteria() {
  SaveSearchCriteriaInfo info("Item", "My \"Pumps\"", "Home/R&D", "Item Name");
  info.addKey("Name");
  info.addKey("Type");
  info.addKey("Owner");
  info.addValue("pump*");
  return info;
}

TEST(SavedQuery2007_06, EveryMessageRoundTripsAndValidates) {
  ExecuteSavedQueriesInput execute;
  execute.addInput(pumpQuery());
  execute.addInput(SavedQueryInput(0, 0, 0, 0, ModelObject()));
  const std::string request =
      PelagonTest::expectRoundTrip(execute, "ExecuteSavedQueriesInput", kSchema);
  // Attribute order, and the int fields kept apart from one another.
  EXPECT_TRUE(contains(
      request, R"(maxNumToInflate="10" resultsType="1" limitListCount="5" maxNumToReturn="50")"))
      << request;
  EXPECT_TRUE(contains(request, ">R&amp;D &quot;test&quot;<")) << request;

  SavedQueryResults results(0);  // the count is not recomputed from the three objects
  for (const char* uid : {"a1", "b2", "c3"})
    results.addObject(ModelObject(uid, "Item"));
  for (int relation : {-1, 0, INT_MAX})
    results.addObjectsRelMap(relation);
  ServiceData data;
  data.addPlainObject(ModelObject("a1", "Item"));
  ExecuteSavedQueriesResponse response(data);
  response.addArrayOfResult(results);
  response.addArrayOfResult(SavedQueryResults(7));
  const std::string text =
      PelagonTest::expectRoundTrip(response, "ExecuteSavedQueriesResponse", kSchema);
  EXPECT_TRUE(contains(text, R"(numOfObjects="0")")) << text;
  EXPECT_TRUE(contains(text, ">-1<")) << text;
  EXPECT_TRUE(contains(text, ">2147483647<")) << text;
  EXPECT_LT(text.find(">2147483647<"), text.find("a1")) << "ints are written before objects";
  EXPECT_LT(text.find(R"(numOfObjects="7")"), text.find("<ServiceData")) << "ServiceData last";

  SaveSearchCriteriaInput save;
  save.addSearchCriteria(pumpCriteria());
  const std::string saved = PelagonTest::expectRoundTrip(save, "SaveSearchCriteriaInput", kSchema);
  EXPECT_TRUE(contains(saved, R"(resultsType="Item" searchName="My &quot;Pumps&quot;" )"
                              R"(virtualFolderPath="Home/R&amp;D" queryName="Item Name")"))
      << saved;

  RetrieveSearchCriteriaInput retrieve;
  retrieve.addSearchName("R&D");
  retrieve.addSearchName("");
  const std::string names =
      PelagonTest::expectRoundTrip(retrieve, "RetrieveSearchCriteriaInput", kSchema);
  EXPECT_TRUE(contains(names, ":searchNames>R&amp;D</")) << names;
  EXPECT_EQ(PelagonTest::read<RetrieveSearchCriteriaInput>(names).getSearchNameArray(),
            (Strings{"R&D", ""}));

  RetrieveSearchCriteriaResponse found;
  found.addOutput(pumpCriteria());
  found.addOutput(SaveSearchCriteriaInfo());
  PelagonTest::expectRoundTrip(found, "RetrieveSearchCriteriaResponse", kSchema);
}

TEST(SavedQuery2007_06, LimitListCountIsIndependentOfLimitList) {
  SavedQueryInput input = pumpQuery();
  const std::string text = PelagonTest::write(input, "SavedQueryInput");
  const auto back = PelagonTest::read<SavedQueryInput>(text);
  EXPECT_EQ(back.getLimitListCount(), 5);
  EXPECT_EQ(back.getLimitListArray().size(), 2u);
  input.addLimitList(ModelObject("Fd9Z", "Folder"));
  EXPECT_EQ(input.getLimitListCount(), 5);
}

TEST(SavedQuery2007_06, InterleavedChildrenAreReadInOrderAndWrittenGrouped) {
  const auto results = PelagonTest::read<SavedQueryResults>(
      "<R numOfObjects='3'" + kNs +
      "><objects uid='a1' type='Item'/><objectsRelMap>-1</objectsRelMap>"
      "<objects uid='b2' type='Item'/><objectsRelMap>7</objectsRelMap></R>");
  EXPECT_EQ(results.getNumOfObjects(), 3);
  EXPECT_EQ(results.getObjectsRelMapArray(), (std::vector<int>{-1, 7}));
  ASSERT_EQ(results.getObjectArray().size(), 2u);
  EXPECT_EQ(results.getObjectArray()[1].getUid(), "b2");
  const std::string text = PelagonTest::write(results, "R");
  EXPECT_LT(text.find(">7<"), text.find("a1")) << text;

  const auto input = PelagonTest::read<SavedQueryInput>(
      "<I" + kNs +
      "><values>v1</values><query uid='q1'/><entries>e1</entries><values>v2</values>"
      "<query uid='q2'/></I>");
  EXPECT_EQ(input.getQuery().getUid(), "q2") << "a second query is parsed over the first";
  EXPECT_EQ(input.getEntrieArray(), (Strings{"e1"}));
  EXPECT_EQ(input.getValueArray(), (Strings{"v1", "v2"}));

  const auto info = PelagonTest::read<SaveSearchCriteriaInfo>(
      "<C" + kNs + "><values>v</values><keys>k1</keys><keys>k2</keys></C>");
  EXPECT_EQ(info.getKeyArray(), (Strings{"k1", "k2"}));
  const std::string criteria = PelagonTest::write(info, "C");
  EXPECT_LT(criteria.find(">k2<"), criteria.find(">v<")) << criteria;
}

TEST(SavedQuery2007_06, ResponsesWriteServiceDataLastAndReadItAnywhere) {
  const std::string empty = PelagonTest::write(ExecuteSavedQueriesResponse(), "E");
  EXPECT_TRUE(contains(empty, "><ServiceData")) << empty;
  EXPECT_LT(empty.find("<ServiceData"), empty.find("</E>"));

  const auto response = PelagonTest::read<ExecuteSavedQueriesResponse>(
      "<E" + kNs +
      "><arrayOfResults numOfObjects='1'/><ServiceData><created>n1</created></ServiceData>"
      "<arrayOfResults numOfObjects='2'/></E>");
  ASSERT_EQ(response.getArrayOfResultArray().size(), 2u);
  EXPECT_EQ(response.getArrayOfResultArray()[1].getNumOfObjects(), 2);
  EXPECT_EQ(response.getServiceData().getCreatedArray(), (Strings{"n1"}));

  const auto found = PelagonTest::read<RetrieveSearchCriteriaResponse>(
      "<F" + kNs + "><ServiceData/><output searchName='s'/></F>");
  ASSERT_EQ(found.getOutputArray().size(), 1u);
  EXPECT_EQ(found.getOutputArray()[0].getSearchName(), "s");
}

TEST(SavedQuery2007_06, EmptyListsGiveStartAndEndTags) {
  for (const std::string& text : {PelagonTest::write(ExecuteSavedQueriesInput(), "X"),
                                  PelagonTest::write(SaveSearchCriteriaInput(), "X"),
                                  PelagonTest::write(RetrieveSearchCriteriaInput(), "X")}) {
    EXPECT_EQ(text.find("/>"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 5), "></X>") << text;
  }
}

TEST(SavedQuery2007_06, UnexpectedChildrenAreRejectedKeepingWhatWasRead) {
  ExecuteSavedQueriesInput execute;
  const auto document = Corvanthel::Soa::Common::Xml::XMLDocument::parse(
      "<E" + kNs + "><input maxNumToInflate='1'/><input><query/><keys>k</keys></input></E>");
  try {
    execute.parse(document.getRootElement());
    ADD_FAILURE() << "no DomException";
  } catch (const DomException& error) {
    EXPECT_EQ(error.getMessage(), "Unexpected node name: keys");
  }
  ASSERT_EQ(execute.getInputArray().size(), 1u) << "the failing input is not appended";
  EXPECT_EQ(execute.getInputArray()[0].getMaxNumToInflate(), 1);

  EXPECT_EQ(readError<SavedQueryInput>("<I" + kNs + "><keys/></I>"), "Unexpected node name: keys");
  EXPECT_EQ(readError<SaveSearchCriteriaInfo>("<C" + kNs + "><entries/></C>"),
            "Unexpected node name: entries");
  EXPECT_EQ(readError<RetrieveSearchCriteriaResponse>("<F" + kNs + "><searchCriteria/></F>"),
            "Unexpected node name: searchCriteria");
}

}  // namespace
