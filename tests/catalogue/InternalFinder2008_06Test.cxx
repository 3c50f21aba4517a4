// Internal finder 2008-06: finding objects of one class by attribute values; the request's one
// search is a structure child, shared rather than copied.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pelagon/internal/query/2008_06/finder/FindObjectsAttrAndValues.hxx>
#include <pelagon/internal/query/2008_06/finder/FindObjectsByClassAndAttributesInput.hxx>
#include <pelagon/internal/query/2008_06/finder/FindObjectsInput.hxx>
#include <pelagon/internal/query/2008_06/finder/FindObjectsResponse.hxx>
#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>

#include "RoundTrip.hxx"

namespace {

using namespace Corvanthel::Schemas::Internal::Query::_2008_06::Finder;
using Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject;
using Corvanthel::Schemas::Soa::_2006_03::Base::ServiceData;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Strings = std::vector<std::string>;

const std::string kSchema = "internal/query/2008_06/finder/Finder.xsd";
const std::string kUri = "http://schemas.corvanthel.example/Schemas/Internal/Query/2008-06/Finder";
const std::string kNs = " xmlns=\"" + kUri + "\"";

template <class T>
void parseInto(T& object, const std::string& text) {
  const auto document = XMLDocument::parse(text);
  object.parse(document.getRootElement());
}

/// The text after the root's start tag.
std::string content(const std::string& text) {
  return text.substr(text.find('>') + 1);
}

FindObjectsAttrAndValues attrAndValues(const std::string& name, const Strings& values) {
  FindObjectsAttrAndValues result(name);
  result.setValueArray(values);
  return result;
}

TEST(InternalFinder2008_06, EveryTypeRoundTripsAndValidates) {
  FindObjectsInput search("find-1", "Item");
  search.addOutputAttributeName("object_name");
  search.addOutputAttributeName("a<b & \"c\"");
  search.addAttrAndValue(attrAndValues("object_name", {"PUMP-100", "x < y"}));
  search.addAttrAndValue(FindObjectsAttrAndValues());
  const FindObjectsByClassAndAttributesInput request(search);
  const std::string text =
      PelagonTest::expectRoundTrip(request, "FindObjectsByClassAndAttributesInput", kSchema);
  EXPECT_NE(text.find(">x &lt; y<"), std::string::npos) << text;
  EXPECT_EQ(search.getAttrAndValueArray()[0].getValueArray()[1], "x < y");

  const auto back = PelagonTest::read<FindObjectsByClassAndAttributesInput>(text).getInput();
  EXPECT_EQ(back.getClientId(), "find-1");
  EXPECT_EQ(back.getClassName(), "Item");
  EXPECT_EQ(back.getOutputAttributeNameArray(), (Strings{"object_name", "a<b & \"c\""}));
  ASSERT_EQ(back.getAttrAndValueArray().size(), 2u);
  EXPECT_EQ(back.getAttrAndValueArray()[0].getValueArray(), (Strings{"PUMP-100", "x < y"}));

  ServiceData data;
  data.addPlainObject(ModelObject("Ab12", "Item"));
  FindObjectsResponse response(data);
  response.addResult(ModelObject("Ab12", "Item"));
  response.addResult(ModelObject("Cd34", "Item"));
  response.addAttrAndValue(attrAndValues("item_id", {"000123", "000124"}));
  const std::string answer = PelagonTest::expectRoundTrip(response, "FindObjectsResponse", kSchema);
  const auto read = PelagonTest::read<FindObjectsResponse>(answer);
  ASSERT_EQ(read.getResultArray().size(), 2u);
  EXPECT_EQ(read.getResultArray()[1].getUid(), "Cd34");
  EXPECT_EQ(read.getServiceData().getPlainObjectArray().size(), 1u);
}

TEST(InternalFinder2008_06, DefaultMessagesWriteTheirSingleChildren) {
  EXPECT_EQ(content(PelagonTest::write(FindObjectsByClassAndAttributesInput(), "F")),
            "<finder:input clientId=\"\" className=\"\"></finder:input></F>");
  const std::string response = content(PelagonTest::write(FindObjectsResponse(), "R"));
  EXPECT_EQ(response.find("<ServiceData"), 0u) << response;
  EXPECT_EQ(response.find("<finder:"), std::string::npos) << response;
  PelagonTest::expectRoundTrip(FindObjectsByClassAndAttributesInput(),
                               "FindObjectsByClassAndAttributesInput", kSchema);
  PelagonTest::expectRoundTrip(FindObjectsResponse(), "FindObjectsResponse", kSchema);
}

TEST(InternalFinder2008_06, TheSearchIsSharedWithTheFacadeItCameFrom) {
  FindObjectsInput search("find-1", "Item");
  FindObjectsByClassAndAttributesInput request(search);
  search.setClassName("Dataset");
  EXPECT_EQ(request.getInput().getClassName(), "Dataset");
  request.getInput().addOutputAttributeName("object_name");
  EXPECT_EQ(search.getOutputAttributeNameArray(), (Strings{"object_name"}));

  // Parsing into the request parses into the shared search.
  parseInto(request, "<F" + kNs +
                         "><input clientId='c1' className='Item'><outputAttributeNames>a"
                         "</outputAttributeNames></input></F>");
  EXPECT_EQ(search.getClientId(), "c1");
  EXPECT_EQ(search.getOutputAttributeNameArray(), (Strings{"object_name", "a"}));

  // setInput shares too, and lets go of the old search.
  FindObjectsInput other("find-2", "Folder");
  request.setInput(other);
  other.setClientId("find-3");
  EXPECT_EQ(request.getInput().getClientId(), "find-3");
  EXPECT_EQ(search.getClientId(), "c1");
}

TEST(InternalFinder2008_06, TwoInputChildrenReadIntoTheSameSearch) {
  const auto request = PelagonTest::read<FindObjectsByClassAndAttributesInput>(
      "<F" + kNs +
      "><input clientId='c1' className='Item'><outputAttributeNames>a</outputAttributeNames>"
      "<attrAndValues attrName='n1'/></input>"
      "<input clientId='c2'><attrAndValues attrName='n2'/><outputAttributeNames>b"
      "</outputAttributeNames></input></F>");
  const FindObjectsInput& search = request.getInput();
  EXPECT_EQ(search.getClientId(), "c2");
  EXPECT_EQ(search.getClassName(), "") << "the second input has no className";
  EXPECT_EQ(search.getOutputAttributeNameArray(), (Strings{"a", "b"}));
  ASSERT_EQ(search.getAttrAndValueArray().size(), 2u);
  EXPECT_EQ(search.getAttrAndValueArray()[1].getAttrName(), "n2");
}

TEST(InternalFinder2008_06, NamesAreWrittenBeforeAttributeValuesWhateverTheAddingOrder) {
  FindObjectsInput search;
  search.addAttrAndValue(attrAndValues("n1", {"v"}));
  search.addOutputAttributeName("a");
  search.addAttrAndValue(FindObjectsAttrAndValues("n2"));
  search.addOutputAttributeName("b");
  const std::string text = PelagonTest::write(search, "input");
  EXPECT_EQ(content(text),
            "<finder:outputAttributeNames>a</finder:outputAttributeNames>"
            "<finder:outputAttributeNames>b</finder:outputAttributeNames>"
            "<finder:attrAndValues attrName=\"n1\"><finder:values>v</finder:values>"
            "</finder:attrAndValues><finder:attrAndValues attrName=\"n2\"></finder:attrAndValues>"
            "</input>");
  // Reading the interleaved form gives the same lists back.
  FindObjectsInput interleaved;
  parseInto(interleaved, "<input" + kNs +
                             "><attrAndValues attrName='n1'><values>v</values></attrAndValues>"
                             "<outputAttributeNames>a</outputAttributeNames><attrAndValues "
                             "attrName='n2'/><outputAttributeNames>b</outputAttributeNames>"
                             "</input>");
  EXPECT_EQ(PelagonTest::write(interleaved, "input"), text);
}

TEST(InternalFinder2008_06, UnexpectedChildrenAreRejectedWhereTheyOccur) {
  FindObjectsInput search;
  FindObjectsByClassAndAttributesInput request(search);
  try {
    parseInto(request, "<F" + kNs +
                           "><input clientId='c1'><outputAttributeNames>a</outputAttributeNames>"
                           "<className>Item</className></input></F>");
    ADD_FAILURE() << "no DomException";
  } catch (const DomException& error) {
    EXPECT_EQ(error.getMessage(), "Unexpected node name: className");
  }
  EXPECT_EQ(search.getClientId(), "c1") << "what was read stays, in the shared search";
  EXPECT_EQ(search.getOutputAttributeNameArray(), (Strings{"a"}));

  FindObjectsAttrAndValues values;
  EXPECT_THROW(parseInto(values, "<a" + kNs + "><values>v</values><value>w</value></a>"),
               DomException);
  EXPECT_EQ(values.getValueArray(), (Strings{"v"}));
  FindObjectsResponse response;
  EXPECT_THROW(parseInto(response, "<R" + kNs + "><results uid='x'/></R>"), DomException);
}

TEST(InternalFinder2008_06, ServiceDataIsWrittenFirstAndReadAnywhere) {
  FindObjectsResponse response;
  response.getServiceData().addDeleted("d1");
  response.addResult(ModelObject("Ab12", "Item"));
  response.addAttrAndValue(attrAndValues("item_id", {"000123"}));
  const std::string text = PelagonTest::write(response, "R");
  const std::string children = content(text);
  EXPECT_EQ(children.find("<ServiceData"), 0u) << text;
  EXPECT_LT(children.find("<finder:result"), children.find("<finder:attrAndValues")) << text;

  const auto reordered = PelagonTest::read<FindObjectsResponse>(
      "<R" + kNs +
      "><attrAndValues attrName='item_id'><values>000123</values></attrAndValues>"
      "<result uid='Ab12' type='Item'/><ServiceData><deleted>d1</deleted></ServiceData></R>");
  EXPECT_EQ(PelagonTest::write(reordered, "R"), text);

  // Every namespace of a request is the finder's own.
  std::set<std::string> namespaces;
  FindObjectsInput search;
  search.addAttrAndValue(FindObjectsAttrAndValues());
  FindObjectsByClassAndAttributesInput(search).getNamespaces(namespaces);
  EXPECT_EQ(namespaces, std::set<std::string>{kUri});
}

}  // namespace
