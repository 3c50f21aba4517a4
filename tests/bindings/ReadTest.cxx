// How objects read elements: tolerant of order, attributes and namespaces, strict about names.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Fixtures.hxx"

namespace {

using namespace BindingTest;
using Strings = std::vector<std::string>;

const std::string kQueryDefault = " xmlns=\"" + kQueryNs + "\"";

TEST(ReadTest, AbsentAttributesReadEmptyAndZero) {
  const auto field = PelagonTest::read<Sq::SavedQueryFieldObject>(
      "<SavedQueryFieldObject" + kQueryDefault + "><lov/></SavedQueryFieldObject>");
  EXPECT_EQ(field.getMathOperation(), "");
  EXPECT_EQ(field.getEntryName(), "");
  EXPECT_EQ(field.getAttributeType(), 0);
  EXPECT_EQ(field.getLov().getUid(), "");
  EXPECT_EQ(PelagonTest::read<Sq::ExecuteSavedQueryResponse>("<R/>").getNFound(), 0);
}

TEST(ReadTest, AttributesInAnyOrderAndUnknownAttributesAreFine) {
  const auto field = PelagonTest::read<Sq::SavedQueryFieldObject>(
      "<F xmlns:x=\"urn:x\" logicalOperation=\"OR\" extra=\"1\" attributeType=\" 12 \" "
      "x:value=\"no\""
      " value=\"yes\" mathOperation=\"&gt;=\"/>");
  EXPECT_EQ(field.getLogicalOperation(), "OR");
  EXPECT_EQ(field.getAttributeType(), 12);
  EXPECT_EQ(field.getValue(), "yes");
  EXPECT_EQ(field.getMathOperation(), ">=");
}

TEST(ReadTest, ChildrenInAnyOrderAndAnyNamespaceAreTaken) {
  Sq::ExecuteSavedQueryInput input;
  parseInto(input, "<E" + kQueryDefault +
                       " xmlns:o=\"urn:other\" limit=\"5\">"
                       "<values>v1</values><entries>e1</entries><o:query uid=\"q\" type=\"Query\"/>"
                       "<entries xmlns=\"\">e2</entries></E>");
  EXPECT_EQ(input.getEntrieArray(), (Strings{"e1", "e2"}));
  EXPECT_EQ(input.getValueArray(), (Strings{"v1"}));
  EXPECT_EQ(input.getQuery().getUid(), "q");
  EXPECT_EQ(childNames(PelagonTest::write(input, "E")),
            (Strings{"query", "entries", "entries", "values"}));
}

TEST(ReadTest, RepeatedSingleChildrenParseIntoTheOneField) {
  Sq::ExecuteSavedQueryInput input;
  const Base::ModelObject query = input.getQuery();
  parseInto(input,
            "<E><query uid=\"first\" type=\"A\"/><entries>e</entries>"
            "<query uid=\"second\" type=\"B\"/></E>");
  EXPECT_EQ(query.getUid(), "second");
  EXPECT_EQ(query.getType(), "B");
  EXPECT_EQ(objectOf(input.getQuery()), objectOf(query));

  Sq::ExecuteSavedQueryResponse response;
  const Base::ServiceData data = response.getServiceData();
  parseInto(response,
            "<R><ServiceData><created>a</created></ServiceData><objects/>"
            "<ServiceData><created>b</created><deleted>c</deleted></ServiceData></R>");
  EXPECT_EQ(data.getCreatedArray(), (Strings{"a", "b"}));
  EXPECT_EQ(data.getDeletedArray(), (Strings{"c"}));
  EXPECT_EQ(response.getObjectArray().size(), 1u);
}

TEST(ReadTest, ParsingAgainAppendsToEveryList) {
  const std::string text = PelagonTest::write(getResponse(), "GetSavedQueriesResponse");
  Sq::GetSavedQueriesResponse response;
  parseInto(response, text);
  parseInto(response, text);
  EXPECT_EQ(response.getQuerieArray().size(), 4u);
  EXPECT_EQ(response.getQuerieArray()[2].getName(), "Item Name");
  EXPECT_EQ(response.getServiceData().getPlainObjectArray().size(), 4u);
  EXPECT_EQ(response.getServiceData().getPartialErrorArray().size(), 4u);
  EXPECT_EQ(response.getServiceData().getPartialErrorArray()[2].getErrorValueArray().size(), 2u);

  Sq::ExecuteSavedQueryInput input;
  const std::string inputText = PelagonTest::write(executeInput(), "E");
  parseInto(input, inputText);
  parseInto(input, inputText);
  EXPECT_EQ(input.getEntrieArray(), (Strings{"Name", "Type", "Name", "Type"}));
  EXPECT_EQ(input.getValueArray().size(), 4u);
}

TEST(ReadTest, UnexpectedChildrenAreRejectedByName) {
  Sq::DescribeSavedQueriesInput describe;
  EXPECT_EQ(parseError(describe,
                       "<D><queries uid=\"1\"/><queries uid=\"2\"/><x:bogus xmlns:x=\"urn:x\"/>"
                       "<queries uid=\"3\"/></D>"),
            "Unexpected node name: bogus");
  ASSERT_EQ(describe.getQuerieArray().size(), 2u);
  EXPECT_EQ(describe.getQuerieArray()[1].getUid(), "2");

  // Names that are fields of a neighbouring type do not count.
  Sq::SavedQueryObject query;
  EXPECT_EQ(parseError(query, "<Q><query/><fields/></Q>"), "Unexpected node name: fields");
  Sq::SavedQueryFieldListObject list;
  EXPECT_EQ(parseError(list, "<L><query/></L>"), "Unexpected node name: query");
  Base::ServiceData data;
  EXPECT_EQ(parseError(data, "<S><created>x</created><Created>y</Created></S>"),
            "Unexpected node name: Created");
  Base::ModelObject model;
  EXPECT_EQ(parseError(model, "<M uid=\"u\"><uid/></M>"), "Unexpected node name: uid");
}

TEST(ReadTest, AnObjectWithoutContentIgnoresAnyChildren) {
  Sq::GetSavedQueriesInput input;
  const std::string before = PelagonTest::write(input, "G");
  parseInto(input, "<G a=\"1\"><anything><deeper/></anything>text<query/></G>");
  EXPECT_EQ(PelagonTest::write(input, "G"), before);
}

TEST(ReadTest, ParsingIntoASharedObjectIsSeenThroughEveryFacade) {
  Sq::SavedQueryObject query;
  const Sq::SavedQueryObject copy(query);
  parseInto(query, "<Q name=\"parsed\"><query uid=\"u\"/></Q>");
  EXPECT_EQ(copy.getName(), "parsed");
  EXPECT_EQ(copy.getQuery().getUid(), "u");
}

TEST(ReadTest, TextThatIsNoNumberIsADomException) {
  Sq::ExecuteSavedQueryInput input;
  EXPECT_NE(parseError(input, "<E limit=\"12abc\"/>").find("12abc"), std::string::npos);
  Sq::SavedQueryFieldObject field;
  EXPECT_NE(parseError(field, "<F attributeType=\"99999999999\"/>").find("99999999999"),
            std::string::npos);
  // Also from deep inside a document.
  Sq::ExecuteSavedQueryResponse response;
  EXPECT_NE(parseError(response,
                       "<R><ServiceData><partialErrors><errorValues code=\"1.5\"/>"
                       "</partialErrors></ServiceData></R>")
                .find("1.5"),
            std::string::npos);
}

}  // namespace
