// What objects write: element and child order, names, namespaces and text.
#include <cstdint>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Fixtures.hxx"

namespace {

using namespace BindingTest;
using Strings = std::vector<std::string>;

void expectValid(const std::string& text, const std::string& schema) {
  const PelagonTest::LintResult lint = PelagonTest::xmllint(text, schema);
  EXPECT_TRUE(lint.ok) << lint.output << "\nin: " << text;
}

TEST(WriteTest, AnObjectWithoutContentIsOneEmptyElement) {
  for (const std::string name : {"GetSavedQueriesInput", "Anything", "request"}) {
    const std::string text = PelagonTest::write(Sq::GetSavedQueriesInput(), name);
    EXPECT_EQ(text.rfind("<" + name + " ", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "/>");
    EXPECT_EQ(text.find('<', 1), std::string::npos) << text;
    EXPECT_EQ(XMLDocument::parse(text).getRootElement().getName(), name);
  }
  expectValid(PelagonTest::write(Sq::GetSavedQueriesInput(), "GetSavedQueriesInput"),
              messageSchema());
}

// A root name chosen by the caller is written only when it is one that XML can carry; otherwise
// nothing at all is written.
TEST(WriteTest, ARootNameThatIsNoQNameWritesNothing) {
  for (const std::string name : {"", "x>y", "a b", "1abc", "p:q:r"}) {
    XmlStream stream;
    EXPECT_THROW(Sq::ExecuteSavedQueryInput().outputXML(stream, name),
                 Corvanthel::Soa::Common::Exceptions::InvalidXmlText)
        << name;
    EXPECT_EQ(stream.str(), "") << name;
    EXPECT_FALSE(stream.setInsertsMarkup(false)) << "left as it was after the failure";
  }
}

TEST(WriteTest, EmptyListsStillWriteStartAndEndTags) {
  const std::string describe =
      PelagonTest::write(Sq::DescribeSavedQueriesInput(), "DescribeSavedQueriesInput");
  EXPECT_EQ(describe.find("/>"), std::string::npos) << describe;
  EXPECT_EQ(describe.substr(describe.size() - 29), "></DescribeSavedQueriesInput>");
  expectValid(describe, messageSchema());

  const std::string list = PelagonTest::write(Sq::SavedQueryFieldListObject(), "Fields");
  EXPECT_EQ(list.substr(list.size() - 10), "></Fields>");
}

TEST(WriteTest, ExecuteSavedQueryInputWritesItsFieldsInSchemaOrder) {
  Sq::ExecuteSavedQueryInput input;
  input.addValue("v1");
  input.addEntrie("e1");
  input.addValue("v2");
  input.addEntrie("e2");
  input.setLimit(-7);
  const std::string text = PelagonTest::write(input, "ExecuteSavedQueryInput");
  EXPECT_EQ(childNames(text), (Strings{"query", "entries", "entries", "values", "values"}));
  const XMLDocument document = XMLDocument::parse(text);
  const XMLNode root = document.getRootElement();
  EXPECT_EQ(root.getAttr("limit"), "-7");
  EXPECT_EQ(root.getFirstChild().getAttr("uid"), "");
  Strings texts;
  for (const XMLNode& child : root.getChildren())
    texts.push_back(child.getText());
  EXPECT_EQ(texts, (Strings{"", "e1", "e2", "v1", "v2"}));
  expectValid(text, messageSchema());
}

TEST(WriteTest, HostileStringsReadBackExactly) {
  const Strings hostile = {"<b>bold</b> &amp; &lt;",
                           "'single' and \"double\"",
                           "tab\there",
                           "cr\rlf\ncrlf\r\n",
                           "  leading and trailing  ",
                           " ",
                           "",
                           "]]> <![CDATA[ x ]]>",
                           "Größe 日本語 😀"};
  Sq::ExecuteSavedQueryInput input;
  Sq::SavedQueryFieldListObject list;
  for (const std::string& text : hostile) {
    input.addValue(text);
    list.addField(
        Sq::SavedQueryFieldObject(text, text, 0, text, text, text, Base::ModelObject(text, text)));
  }
  const std::string inputText = PelagonTest::write(input, "ExecuteSavedQueryInput");
  EXPECT_EQ(PelagonTest::read<Sq::ExecuteSavedQueryInput>(inputText).getValueArray(), hostile);
  expectValid(inputText, messageSchema());

  const std::string listText = PelagonTest::write(list, "SavedQueryFieldListObject");
  const Sq::SavedQueryFieldListObject read =
      PelagonTest::read<Sq::SavedQueryFieldListObject>(listText);
  ASSERT_EQ(read.getFieldArray().size(), hostile.size());
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    const Sq::SavedQueryFieldObject& field = read.getFieldArray()[i];
    EXPECT_EQ(field.getValue(), hostile[i]);
    EXPECT_EQ(field.getLov().getUid(), hostile[i]);
  }
  expectValid(listText, structureSchema());
}

TEST(WriteTest, ServiceDataIsUnprefixedWhileOtherChildrenArePrefixed) {
  const std::string text = PelagonTest::write(executeResponse(), "ExecuteSavedQueryResponse");
  const XMLDocument document = XMLDocument::parse(text);
  Strings names;
  Strings namespaces;
  for (const XMLNode& child : document.getRootElement().getChildren()) {
    names.emplace_back(child.getName());
    namespaces.push_back(child.getNamespaceUri());
  }
  ASSERT_EQ(names.size(), 3u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NE(names[i].find(":objects"), std::string::npos) << names[i];
    EXPECT_NE(names[i].find(':'), 0u) << names[i];
    EXPECT_EQ(namespaces[i], kQueryNs);
  }
  EXPECT_EQ(names[2], "ServiceData");
  EXPECT_EQ(namespaces[2], kBaseNs);
  expectValid(text, messageSchema());
}

TEST(WriteTest, TheSameObjectAlwaysWritesTheSameBytes) {
  const Sq::GetSavedQueriesResponse response = getResponse();
  const std::string first = PelagonTest::write(response, "GetSavedQueriesResponse");
  EXPECT_EQ(PelagonTest::write(response, "GetSavedQueriesResponse"), first);
  EXPECT_EQ(PelagonTest::write(Sq::GetSavedQueriesResponse(response), "GetSavedQueriesResponse"),
            first);
  EXPECT_EQ(PelagonTest::write(getResponse(), "GetSavedQueriesResponse"), first);
  // Whether the stream inserts its own markup or not, and into its own buffer or the caller's:
  // the same bytes, and the stream's setting is as it was before.
  for (const bool inserting : {false, true}) {
    XmlStream own;
    std::stringbuf callers;
    XmlStream onCallers(&callers);
    for (XmlStream* stream : {&own, &onCallers}) {
      stream->setInsertsMarkup(inserting);
      response.outputXML(*stream, "GetSavedQueriesResponse");
      EXPECT_EQ(stream->setInsertsMarkup(inserting), inserting);
    }
    EXPECT_EQ(own.str(), first);
    EXPECT_EQ(callers.str(), first);
  }
}

#if !PELAGON_BINDING_REDUCED
// Int lists are written a few kilobytes at a time: long lists cross many pieces, and a name too
// long for one piece takes the general path.
TEST(WriteTest, LongIntListsAndLongNamesWriteEveryEntry) {
  namespace Sq0706 = ::Corvanthel::Schemas::Query::_2007_06::Savedquery;
  std::vector<int> values;
  for (int i = 0; i < 5000; ++i)
    values.push_back(i % 3 == 0 ? std::numeric_limits<int>::min() + i
                                : static_cast<int>(std::int64_t{1000003} * i % 2000000000));
  values.push_back(std::numeric_limits<int>::max());
  Sq0706::SavedQueryResults results(7);
  results.setObjectsRelMapArray(values);
  const std::string text = PelagonTest::write(results, "SavedQueryResults");
  EXPECT_EQ(PelagonTest::read<Sq0706::SavedQueryResults>(text).getObjectsRelMapArray(), values);

  using namespace ::Corvanthel::Soa::Common::Xml;
  const std::string name(5000, 'n');
  XmlStream stream;
  Binding::writeTextElements(stream, name, std::vector<int>{-1, 0, 42});
  EXPECT_EQ(stream.str(), "<" + name + ">-1</" + name + "><" + name + ">0</" + name + "><" + name +
                              ">42</" + name + ">");
}
#endif

// Child names are made in strings that each thread keeps, one per level of nesting, and past
// the last of those in a string of the name's own: each level keeps its name while deeper levels
// make theirs, however deep the nesting and whether or not the names fit a string's own buffer.
TEST(WriteTest, ChildNamesAtEveryLevelOfNestingStayTheirOwn) {
  using Corvanthel::Soa::Common::Xml::Binding::ChildName;
  for (const std::string& prefix : {std::string("p"), std::string(40, 'q')}) {
    std::vector<std::unique_ptr<ChildName>> levels;
    std::vector<const std::string*> names;
    for (int level = 0; level < 40; ++level) {
      levels.push_back(std::make_unique<ChildName>(std::string(prefix), 24));
      names.push_back(&(*levels.back())("child" + std::to_string(level)));
    }
    for (int level = 0; level < 40; ++level)
      EXPECT_EQ(*names[level], prefix + ":child" + std::to_string(level));
    levels.clear();
    ChildName again(std::string(prefix), 24);
    EXPECT_EQ(again("after"), prefix + ":after");
  }
}

}  // namespace
