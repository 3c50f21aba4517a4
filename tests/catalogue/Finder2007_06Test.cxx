// Finder 2007-06: workspace-object find sets, their criteria with six date bounds, and the
// objects found for each set.
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pelagon/query/2007_06/finder/FindWorkspaceObjectsInput.hxx>
#include <pelagon/query/2007_06/finder/FindWorkspaceObjectsOutput.hxx>
#include <pelagon/query/2007_06/finder/FindWorkspaceObjectsResponse.hxx>
#include <pelagon/query/2007_06/finder/WSOFindCriteria.hxx>
#include <pelagon/query/2007_06/finder/WSOFindSet.hxx>
#include <varnicore/DateTime.hxx>
#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>
#include <varnicore/soa/2006_03/base/PartialError.hxx>

#include "RoundTrip.hxx"

namespace {

using namespace Corvanthel::Schemas::Query::_2007_06::Finder;
using Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject;
using Corvanthel::Schemas::Soa::_2006_03::Base::PartialError;
using Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData;
using Corvanthel::Soa::Common::DateTime;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Strings = std::vector<std::string>;

const std::string kSchema = "query/2007_06/finder/Finder.xsd";
const std::string kUri = "http://schemas.corvanthel.example/Schemas/Query/2007-06/Finder";
const std::string kBaseUri = "http://schemas.corvanthel.example/Schemas/Soa/2006-03/Base";
const std::string kNs = " xmlns=\"" + kUri + "\"";
const Strings kAttributeOrder = {"modifiedBefore", "objectType",     "createdBefore",
                                 "objectName",     "releasedBefore", "createdAfter",
                                 "releasedAfter",  "scope",          "modifiedAfter"};

/// The attributes of the first start tag of text, in order, as name and value.
std::vector<std::pair<std::string, std::string>> rootAttributes(const std::string& text) {
  const std::string tag = text.substr(0, text.find('>'));
  std::vector<std::pair<std::string, std::string>> attributes;
  const std::regex attribute(R"re(\s([\w:]+)="([^"]*)")re");
  for (std::sregex_iterator it(tag.begin(), tag.end(), attribute), end; it != end; ++it) {
    if ((*it)[1].str().rfind("xmlns", 0) != 0) {
      attributes.emplace_back((*it)[1], (*it)[2]);
    }
  }
  return attributes;
}

Strings names(const std::vector<std::pair<std::string, std::string>>& attributes) {
  Strings result;
  for (const auto& attribute : attributes) {
    result.push_back(attribute.first);
  }
  return result;
}

template <class T>
void parseInto(T& object, const std::string& text) {
  const auto document = XMLDocument::parse(text);
  object.parse(document.getRootElement());
}

template <class T>
std::string domError(T& object, const std::string& text) {
  try {
    parseInto(object, text);
  } catch (const DomException& error) {
    return error.getMessage();
  }
  ADD_FAILURE() << "no DomException for " << text;
  return "";
}

WSOFindCriteria pumpCriteria() {
  return WSOFindCriteria(DateTime(2007, 6, 15, 17, 30, 0), "Item", DateTime(2008, 2, 29, 12, 0, 0),
                         "PUMP <\"100\"> & co", DateTime(9999, 12, 31, 23, 59, 59),
                         DateTime(2007, 1, 1, 0, 0, 0), DateTime(), "Home",
                         DateTime(2000, 2, 29, 23, 59, 59), ModelObject("Us4rJw9a", "User"),
                         ModelObject("Gp0eNg8i", "Group"));
}

TEST(Finder2007_06, EveryTypeRoundTripsAndValidates) {
  WSOFindSet first;
  first.addCriteria(pumpCriteria());
  first.addCriteria(WSOFindCriteria());
  FindWorkspaceObjectsInput request;
  request.addFindList(first);
  request.addFindList(WSOFindSet());
  const std::string text =
      PelagonTest::expectRoundTrip(request, "FindWorkspaceObjectsInput", kSchema);
  EXPECT_NE(text.find("objectName=\"PUMP &lt;&quot;100&quot;&gt; &amp; co\""), std::string::npos)
      << text;

  const auto back = PelagonTest::read<FindWorkspaceObjectsInput>(text);
  ASSERT_EQ(back.getFindListArray().size(), 2u);
  ASSERT_EQ(back.getFindListArray()[0].getCriteriaArray().size(), 2u);
  EXPECT_TRUE(back.getFindListArray()[1].getCriteriaArray().empty());
  const WSOFindCriteria& criteria = back.getFindListArray()[0].getCriteriaArray()[0];
  EXPECT_EQ(criteria.getObjectName(), "PUMP <\"100\"> & co");
  EXPECT_EQ(criteria.getObjectType(), "Item");
  EXPECT_EQ(criteria.getScope(), "Home");
  EXPECT_EQ(criteria.getOwner().getUid(), "Us4rJw9a");
  EXPECT_EQ(criteria.getGroup().getType(), "Group");

  FindWorkspaceObjectsOutput found(-1);
  found.addFoundObject(ModelObject("Ab12Cd34", "Item"));
  found.addFoundObject(ModelObject("Ij78Kl90", "Dataset"));
  ServiceData data;
  data.addPartialError(PartialError("1"));
  FindWorkspaceObjectsResponse response(data);
  response.addOutputList(found);
  response.addOutputList(FindWorkspaceObjectsOutput(1));
  const std::string answer =
      PelagonTest::expectRoundTrip(response, "FindWorkspaceObjectsResponse", kSchema);
  const auto outputs = PelagonTest::read<FindWorkspaceObjectsResponse>(answer).getOutputListArray();
  ASSERT_EQ(outputs.size(), 2u);
  EXPECT_EQ(outputs[0].getFindSetIndex(), -1);
  EXPECT_EQ(outputs[1].getFindSetIndex(), 1);
  ASSERT_EQ(outputs[0].getFoundObjectArray().size(), 2u);
  EXPECT_EQ(outputs[0].getFoundObjectArray()[1].getUid(), "Ij78Kl90");
}

TEST(Finder2007_06, CriteriaWriteAllNineAttributesInBindingOrder) {
  const std::string unset = PelagonTest::write(WSOFindCriteria(), "criterias");
  const auto attributes = rootAttributes(unset);
  EXPECT_EQ(names(attributes), kAttributeOrder) << unset;
  for (const auto& [name, value] : attributes) {
    const bool isText = name == "objectType" || name == "objectName" || name == "scope";
    EXPECT_EQ(value, isText ? "" : "0001-01-01T00:00:00") << name;
  }
  const std::string content = unset.substr(unset.find('>') + 1);
  EXPECT_EQ(content.find("<finder:owner"), 0u) << unset;
  EXPECT_NE(content.find("<finder:group"), std::string::npos) << unset;

  // Setting one date changes that attribute's value only, in its place.
  WSOFindCriteria criteria;
  criteria.setCreatedAfter(DateTime(2007, 1, 1, 8, 0, 0));
  auto expected = attributes;
  expected[5].second = "2007-01-01T08:00:00";
  EXPECT_EQ(rootAttributes(PelagonTest::write(criteria, "criterias")), expected);

  // Whatever order the fields are set in.
  criteria.setScope("Home");
  criteria.setModifiedBefore(DateTime(2007, 6, 1, 0, 0, 0));
  criteria.setObjectType("Item");
  EXPECT_EQ(names(rootAttributes(PelagonTest::write(criteria, "criterias"))), kAttributeOrder);
}

TEST(Finder2007_06, EveryDateKeepsItsOwnValueExactly) {
  const std::vector<DateTime> dates = {DateTime(),
                                       DateTime(2008, 2, 29, 12, 0, 0),
                                       DateTime(9999, 12, 31, 23, 59, 59),
                                       DateTime(2007, 1, 1, 0, 0, 0),
                                       DateTime(1, 1, 1, 0, 0, 1),
                                       DateTime(2000, 2, 29, 23, 59, 59)};
  const WSOFindCriteria criteria(dates[0], "", dates[1], "", dates[2], dates[3], dates[4], "",
                                 dates[5], ModelObject(), ModelObject());
  const std::string text = PelagonTest::write(criteria, "criterias");
  const auto attributes = rootAttributes(text);
  ASSERT_EQ(attributes.size(), 9u) << text;
  EXPECT_EQ(attributes[0].second, "0001-01-01T00:00:00");
  EXPECT_EQ(attributes[2].second, "2008-02-29T12:00:00");
  EXPECT_EQ(attributes[4].second, "9999-12-31T23:59:59");
  EXPECT_EQ(attributes[5].second, "2007-01-01T00:00:00");
  EXPECT_EQ(attributes[6].second, "0001-01-01T00:00:01");
  EXPECT_EQ(attributes[8].second, "2000-02-29T23:59:59");

  const auto back = PelagonTest::read<WSOFindCriteria>(text);
  const std::vector<DateTime> read = {back.getModifiedBefore(), back.getCreatedBefore(),
                                      back.getReleasedBefore(), back.getCreatedAfter(),
                                      back.getReleasedAfter(),  back.getModifiedAfter()};
  EXPECT_EQ(read, dates);
  EXPECT_EQ(PelagonTest::write(back, "criterias"), text);
}

TEST(Finder2007_06, AbsentAttributesReadAsDefaultsAndReplaceOldValues) {
  WSOFindCriteria criteria = pumpCriteria();
  parseInto(criteria, "<criterias createdAfter='2007-05-04T03:02:01'" + kNs + "/>");
  EXPECT_EQ(criteria.getCreatedAfter(), DateTime(2007, 5, 4, 3, 2, 1));
  EXPECT_EQ(criteria.getReleasedBefore(), DateTime());
  EXPECT_EQ(criteria.getModifiedBefore(), DateTime());
  EXPECT_EQ(criteria.getModifiedAfter(), DateTime());
  EXPECT_EQ(criteria.getObjectName(), "");
  EXPECT_EQ(criteria.getOwner().getUid(), "Us4rJw9a") << "no owner element, owner kept";
}

TEST(Finder2007_06, MalformedDatesAreRejected) {
  for (const std::string date : {"2007-13-01T00:00:00", "yesterday", "2007-02-29T00:00:00"}) {
    WSOFindCriteria criteria;
    EXPECT_THROW(parseInto(criteria, "<criterias releasedAfter='" + date + "'" + kNs + "/>"),
                 DomException)
        << date;
  }
}

TEST(Finder2007_06, UnexpectedChildrenAreRejectedAndRepeatedOnesReadAgain) {
  WSOFindCriteria criteria;
  parseInto(criteria, "<criterias" + kNs +
                          "><owner uid='u1' type='User'/><group uid='g1' type='Group'/>"
                          "<owner uid='u2' type='User'/></criterias>");
  EXPECT_EQ(criteria.getOwner().getUid(), "u2");
  EXPECT_EQ(criteria.getGroup().getUid(), "g1");
  EXPECT_EQ(domError(criteria, "<criterias" + kNs + "><scope>Home</scope></criterias>"),
            "Unexpected node name: scope");

  WSOFindSet set;
  EXPECT_EQ(domError(set, "<findList" + kNs +
                              "><criterias objectName='a'/><criterias/>"
                              "<criteria objectName='c'/></findList>"),
            "Unexpected node name: criteria");
  ASSERT_EQ(set.getCriteriaArray().size(), 2u) << "entries read before the error stay";
  EXPECT_EQ(set.getCriteriaArray()[0].getObjectName(), "a");

  FindWorkspaceObjectsOutput output;
  EXPECT_EQ(domError(output, "<o findSetIndex='2'" + kNs + "><foundObject/></o>"),
            "Unexpected node name: foundObject");
  EXPECT_EQ(output.getFindSetIndex(), 2);
}

TEST(Finder2007_06, ServiceDataIsWrittenLastAndReadAnywhere) {
  FindWorkspaceObjectsResponse response;
  response.getServiceData().addDeleted("d1");
  response.addOutputList(FindWorkspaceObjectsOutput(0));
  response.addOutputList(FindWorkspaceObjectsOutput(1));
  const std::string text = PelagonTest::write(response, "R");
  const auto serviceData = text.find("<ServiceData");
  EXPECT_GT(serviceData, text.rfind("<finder:outputList")) << text;
  EXPECT_EQ(text.substr(text.rfind("</ServiceData>")), "</ServiceData></R>") << text;

  const auto first = PelagonTest::read<FindWorkspaceObjectsResponse>(
      "<R" + kNs +
      "><ServiceData><deleted>d1</deleted></ServiceData><outputList findSetIndex='0'/>"
      "<outputList findSetIndex='1'/></R>");
  EXPECT_EQ(PelagonTest::write(first, "R"), text);
}

TEST(Finder2007_06, ReadingAppendsToListsAndNamespacesComeFromFirstEntries) {
  FindWorkspaceObjectsInput request;
  const std::string text =
      "<F" + kNs + "><findList><criterias objectName='a'/></findList><findList/></F>";
  parseInto(request, text);
  parseInto(request, text);
  ASSERT_EQ(request.getFindListArray().size(), 4u);
  EXPECT_EQ(request.getFindListArray()[2].getCriteriaArray()[0].getObjectName(), "a");

  // Only the first find set (and its first criterion) is asked for namespaces.
  FindWorkspaceObjectsInput later;
  WSOFindSet second;
  second.addCriteria(WSOFindCriteria());
  later.addFindList(WSOFindSet());
  later.addFindList(second);
  std::set<std::string> namespaces;
  later.getNamespaces(namespaces);
  EXPECT_EQ(namespaces, std::set<std::string>{kUri});
  namespaces.clear();
  request.getNamespaces(namespaces);
  EXPECT_EQ(namespaces, (std::set<std::string>{kUri, kBaseUri}));
}

}  // namespace
