// Saved queries 2007-01: the query-criteria messages.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pelagon/query/2007_01/savedquery/DeleteQueryCriteriasInput.hxx>
#include <pelagon/query/2007_01/savedquery/ReorderSavedQueryCriteriasInput.hxx>
#include <pelagon/query/2007_01/savedquery/RetrieveQueryCriteriaResponse.hxx>
#include <pelagon/query/2007_01/savedquery/RetrieveQueryCriteriasInput.hxx>
#include <pelagon/query/2007_01/savedquery/SaveQueryCriteriaInfo.hxx>
#include <pelagon/query/2007_01/savedquery/SaveQueryCriteriasInput.hxx>
#include <varnicore/Exceptions.hxx>

#include "RoundTrip.hxx"

namespace {

using namespace Corvanthel::Schemas::Query::_2007_01::Savedquery;
using Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject;
using Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Strings = std::vector<std::string>;

const std::string kSchema = "query/2007_01/savedquery/SavedQuery.xsd";
const std::string kNs =
    R"( xmlns="http://schemas.corvanthel.example/Schemas/Query/2007-01/SavedQuery")";

using PelagonTest::readError;

TEST(SavedQuery2007_01, EveryMessageRoundTripsAndValidates) {
  SaveQueryCriteriaInfo pumps("My Pumps", "Item Name");
  pumps.addKey("Name");
  pumps.addKey("Type");
  pumps.addValue("pump & \"housing\"");
  SaveQueryCriteriasInput save;
  save.addQueryCriteria(pumps);
  save.addQueryCriteria(SaveQueryCriteriaInfo("R&D \"open\"", ""));
  const std::string text = PelagonTest::expectRoundTrip(save, "SaveQueryCriteriasInput", kSchema);
  EXPECT_NE(text.find(R"(searchName="R&amp;D &quot;open&quot;" queryName="")"), std::string::npos);
  EXPECT_NE(text.find(">pump &amp; &quot;housing&quot;<"), std::string::npos) << text;

  ServiceData data;
  data.addPlainObject(ModelObject("Ab12", "Item"));
  RetrieveQueryCriteriaResponse response(data);
  response.addOutput(pumps);
  PelagonTest::expectRoundTrip(response, "RetrieveQueryCriteriaResponse", kSchema);

  RetrieveQueryCriteriasInput retrieve;
  DeleteQueryCriteriasInput remove;
  ReorderSavedQueryCriteriasInput reorder;
  for (const char* name : {"My Pumps", "", "a<b"}) {
    retrieve.addQueryCriteriaName(name);
    remove.addQueryCriteriaName(name);
    reorder.addQueryCriteriaName(name);
  }
  PelagonTest::expectRoundTrip(retrieve, "RetrieveQueryCriteriasInput", kSchema);
  PelagonTest::expectRoundTrip(remove, "DeleteQueryCriteriasInput", kSchema);
  EXPECT_EQ(PelagonTest::read<ReorderSavedQueryCriteriasInput>(
                PelagonTest::expectRoundTrip(reorder, "ReorderSavedQueryCriteriasInput", kSchema))
                .getQueryCriteriaNameArray(),
            (Strings{"My Pumps", "", "a<b"}));
}

TEST(SavedQuery2007_01, EmptyMessagesWriteStartAndEndTags) {
  const std::string text = PelagonTest::write(DeleteQueryCriteriasInput(), "Delete");
  EXPECT_EQ(text.find("/>"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 10), "></Delete>");
  // The response still carries its ServiceData, after the (empty) list.
  const std::string response = PelagonTest::write(RetrieveQueryCriteriaResponse(), "Response");
  EXPECT_NE(response.find("><ServiceData"), std::string::npos) << response;
}

TEST(SavedQuery2007_01, InterleavedKeysAndValuesAreReadInOrderAndWrittenGrouped) {
  const auto input = PelagonTest::read<SaveQueryCriteriasInput>(
      "<SaveQueryCriteriasInput" + kNs +
      "><queryCriterias searchName='s' queryName='q'><keys>k1</keys><values>v1</values>"
      "<keys>k2</keys></queryCriterias></SaveQueryCriteriasInput>");
  ASSERT_EQ(input.getQueryCriteriaArray().size(), 1u);
  const SaveQueryCriteriaInfo& info = input.getQueryCriteriaArray()[0];
  EXPECT_EQ(info.getSearchName(), "s");
  EXPECT_EQ(info.getQueryName(), "q");
  EXPECT_EQ(info.getKeyArray(), (Strings{"k1", "k2"}));
  EXPECT_EQ(info.getValueArray(), (Strings{"v1"}));
  const std::string text = PelagonTest::write(input, "SaveQueryCriteriasInput");
  EXPECT_LT(text.find(">k2<"), text.find(">v1<")) << text;
}

TEST(SavedQuery2007_01, ReadingAppendsAndAcceptsServiceDataFirst) {
  RetrieveQueryCriteriaResponse response;
  response.addOutput(SaveQueryCriteriaInfo("old", "q"));
  const auto document = Corvanthel::Soa::Common::Xml::XMLDocument::parse(
      "<R" + kNs +
      "><ServiceData><plainObjects uid='u1' type='Item'/></ServiceData>"
      "<output searchName='new' queryName='q'/></R>");
  response.parse(document.getRootElement());
  ASSERT_EQ(response.getOutputArray().size(), 2u);
  EXPECT_EQ(response.getOutputArray()[1].getSearchName(), "new");
  ASSERT_EQ(response.getServiceData().getPlainObjectArray().size(), 1u);
  EXPECT_EQ(response.getServiceData().getPlainObjectArray()[0].getUid(), "u1");
}

TEST(SavedQuery2007_01, ChildNamesOfOtherMessagesAreRejected) {
  EXPECT_EQ(readError<SaveQueryCriteriasInput>("<S" + kNs +
                                               "><queryCriteriaNames>a</queryCriteriaNames></S>"),
            "Unexpected node name: queryCriteriaNames");
  EXPECT_EQ(readError<RetrieveQueryCriteriaResponse>("<R" + kNs + "><queryCriterias/></R>"),
            "Unexpected node name: queryCriterias");
  EXPECT_EQ(readError<DeleteQueryCriteriasInput>("<D" + kNs + "><queryCriteriaName/></D>"),
            "Unexpected node name: queryCriteriaName");
}

}  // namespace
