// Each rule of validation with the exact error it gives, and valid documents at the edges, through
// the generated classes: the 2006-03 saved-query types and the coverage schema of the compiler's
// golden files (every field kind, a required attribute, a plain xs:dateTime, an empty type).
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <pelagon/pelagon.hxx>
#include <pelagon/test/2009_01/coverage/Everything.hxx>
#include <pelagon/test/2009_01/coverage/Flat.hxx>

namespace {

using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
namespace Savedquery = Corvanthel::Schemas::Query::_2006_03::Savedquery;
namespace Coverage = Corvanthel::Schemas::Test::_2009_01::Coverage;

#define SQ "http://schemas.corvanthel.example/Schemas/Query/2006-03/SavedQuery"
#define BASE "http://schemas.corvanthel.example/Schemas/Soa/2006-03/Base"
#define COV "http://schemas.corvanthel.example/Schemas/Test/2009-01/Coverage"

using Validate = std::function<void(const XMLDocument&)>;

// "valid", or the message of the DomException with its place as data.
std::string verdict(const Validate& validate, const std::string& text) {
  const XMLDocument document = XMLDocument::parse(text);
  try {
    validate(document);
    return "valid";
  } catch (const DomException& error) {
    const std::string place =
        "line " + std::to_string(error.getLine()) + ", column " + std::to_string(error.getColumn());
    EXPECT_EQ(error.getMessage().rfind(place + ": ", 0), 0u) << error.getMessage();
    return error.getMessage();
  }
}

// A rule, a document and what validating it gives: "valid", or the message for the fault, which
// must be placed at the first occurrence of `at` in the text.
struct Case {
  const char* rule;
  Validate validate;
  std::string text;
  std::string at;
  std::string message;
};

// How a failing case is named in the test's output.
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.rule;
}

// "line L, column C: " of the first occurrence of part in text (columns in bytes).
std::string placeOf(const std::string& text, const std::string& part) {
  const std::size_t offset = text.find(part);
  int line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1) +
         ": ";
}

const Validate kQuery = &Savedquery::ExecuteSavedQueryInput::validateDocument;
const Validate kEmpty = &Savedquery::GetSavedQueriesInput::validateDocument;
const Validate kResponse = &Savedquery::GetSavedQueriesResponse::validateDocument;
const Validate kEverything = &Coverage::Everything::validateDocument;
const Validate kFlat = [](const XMLDocument& d) { Coverage::Flat::validate(d.getRootElement()); };

// An ExecuteSavedQueryInput with these attributes and children.
std::string query(const std::string& attributes, const std::string& children) {
  return "<ExecuteSavedQueryInput xmlns=\"" SQ "\"" + attributes + ">" + children +
         "</ExecuteSavedQueryInput>";
}

const char kRef[] = "<query uid=\"u\" type=\"t\"/>";

class ValidationRules : public testing::TestWithParam<Case> {};

TEST_P(ValidationRules, GiveTheirVerdict) {
  const Case& c = GetParam();
  ASSERT_TRUE(c.at.empty() || c.text.find(c.at) != std::string::npos) << c.at;
  EXPECT_EQ(verdict(c.validate, c.text), c.at.empty() ? "valid" : placeOf(c.text, c.at) + c.message)
      << c.text;
}

std::vector<Case> cases() {
  return {
      // Valid at the edges.
      {"lists of none", kQuery, query("", kRef), "", ""},
      {"lists of one", kQuery, query("", std::string(kRef) + "<entries/><values>v</values>"), "",
       ""},
      {"lists of many", kQuery,
       query("", std::string(kRef) + "<entries>a</entries><entries/><entries>c</entries>"
                                     "<values>1</values><values>2</values>"),
       "", ""},
      {"blanks around an int", kQuery, query(" limit=' +007&#9;'", kRef), "", ""},
      {"int edges", kQuery, query(" limit='-2147483648'", kRef), "", ""},
      {"prefixes, comments, whitespace and schema hints", kQuery,
       "<?xml version='1.0'?><q:ExecuteSavedQueryInput xmlns:q='" SQ "' xmlns:x='urn:x' "
       "xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' xsi:schemaLocation='" SQ
       " SavedQuery.xsd' limit='1'>\n  <!-- c --><q:query uid='u' type='t'><?pi?></q:query>\n"
       "  <q:entries>a<![CDATA[<b>]]></q:entries>\n</q:ExecuteSavedQueryInput>",
       "", ""},
      {"service data in its own namespace", kResponse,
       "<GetSavedQueriesResponse xmlns='" SQ "'><ServiceData xmlns='" BASE
       "'><created>x</created></ServiceData></GetSavedQueriesResponse>",
       "", ""},
      {"a type without fields, empty", kEmpty, "<GetSavedQueriesInput xmlns='" SQ "'/>", "", ""},
      {"dates with blanks, fractions and zones", kFlat,
       "<Flat xmlns='" COV
       "' count='1' when=' 2004-02-29T24:00:00.000Z ' stamp='0001-01-01T00:00:00'/>",
       "", ""},

      // The root element.
      {"root name", kQuery, "<ExecuteSavedQuery xmlns='" SQ "'/>", "<ExecuteSavedQuery",
       "the root element is 'ExecuteSavedQuery' in namespace \"" SQ
       "\"; expected 'ExecuteSavedQueryInput' in namespace \"" SQ "\""},
      {"root namespace", kQuery, "<ExecuteSavedQueryInput/>", "<ExecuteSavedQueryInput",
       "the root element is 'ExecuteSavedQueryInput' in no namespace; expected "
       "'ExecuteSavedQueryInput' in namespace \"" SQ "\""},

      // Child elements.
      {"a single child missing before a list", kQuery, query("", "<entries/>"), "<entries",
       "expected element 'query' before 'entries'"},
      {"a single child missing at the end", kQuery, query("", ""), "<ExecuteSavedQueryInput",
       "expected element 'query' before the end of element "
       "'ExecuteSavedQueryInput'"},
      {"a single child twice", kQuery,
       query("", std::string(kRef) + "<query uid=\"u2\" type=\"t\"/>"), "<query uid=\"u2\"",
       "element 'query' occurs more than once in element "
       "'ExecuteSavedQueryInput'"},
      {"a child out of order", kQuery, query("", std::string(kRef) + "<values/><entries/>"),
       "<entries",
       "element 'entries' is out of order in element "
       "'ExecuteSavedQueryInput': it must come before 'values'"},
      {"an unknown child", kQuery, query("", std::string(kRef) + "<limit/>"), "<limit",
       "unexpected element 'limit' in element 'ExecuteSavedQueryInput': "
       "expected 'entries', 'values' or the end of the element"},
      {"a child in another namespace", kQuery,
       query("", "<query xmlns='" BASE "' uid='u' type='t'/>"), "<query",
       "element 'query' is in namespace \"" BASE "\"; expected namespace \"" SQ "\""},
      {"a reference in the type's namespace", kResponse,
       "<GetSavedQueriesResponse xmlns='" SQ "'><ServiceData/></GetSavedQueriesResponse>",
       "<ServiceData",
       "element 'ServiceData' is in namespace \"" SQ "\"; expected namespace "
       "\"" BASE "\""},
      {"a child of a type without fields", kEmpty,
       "<GetSavedQueriesInput xmlns='" SQ "'><owner/></GetSavedQueriesInput>", "<owner",
       "element 'owner' is not allowed in element 'GetSavedQueriesInput', whose "
       "type 'GetSavedQueriesInput' has no content"},
      {"whitespace in a type without fields", kEmpty,
       "<GetSavedQueriesInput xmlns='" SQ "'>\n</GetSavedQueriesInput>", "\n",
       "text '\\n' is not allowed in element 'GetSavedQueriesInput', whose type "
       "'GetSavedQueriesInput' has no content"},
      {"text between elements", kQuery, query("", std::string(kRef) + " x <entries/>"),
       "x <entries",
       "text 'x ' is not allowed in element 'ExecuteSavedQueryInput', which "
       "holds elements only"},
      {"text after the last element comes after the faults inside it", kQuery,
       query("", "<query uid='u' type='t' x=''/>text"), "x=''",
       "attribute 'x' is not declared for element 'query' of type "
       "'ModelObject'"},
      {"an element in a text entry", kQuery,
       query("", std::string(kRef) + "<entries>a<b/></entries>"), "<b/>",
       "element 'b' is not allowed in element 'entries', which holds "
       "xs:string text only"},
      {"an attribute on a text entry", kQuery,
       query("", std::string(kRef) + "<values xml:lang='en'>v</values>"), "xml:lang",
       "attribute 'xml:lang' is not declared for element 'values' of type "
       "'xs:string'"},

      // Attributes.
      {"an undeclared attribute", kQuery, query(" limit='1' max='2'", kRef),
       "max=", "attribute 'max' is not declared for element 'ExecuteSavedQueryInput'"},
      {"a declared name in a namespace", kQuery, query(" xmlns:p='" SQ "' p:limit='1'", kRef),
       "p:limit",
       "attribute 'p:limit' is not declared for element "
       "'ExecuteSavedQueryInput'"},
      {"xsi:type", kQuery,
       query(" xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' xsi:type='x'", kRef),
       "xsi:type",
       "attribute 'xsi:type' is not declared for element "
       "'ExecuteSavedQueryInput'"},
      {"a required attribute missing", kFlat, "<Flat xmlns='" COV "'/>", "<Flat",
       "attribute 'count' is required in element 'Flat'"},

      // Values.
      {"not an int", kQuery, query(" limit='12x'", kRef),
       "limit=", "attribute 'limit': '12x' is not an xs:int"},
      {"an int beyond 32 bits", kQuery, query(" limit='2147483648'", kRef),
       "limit=", "attribute 'limit': '2147483648' is not an xs:int"},
      {"an empty int", kQuery, query(" limit=''", kRef),
       "limit=", "attribute 'limit': '' is not an xs:int"},
      {"an int list entry", kEverything,
       "<Everything xmlns='" COV "'><flat count='1'/><object/><nesteds><numbers> 1 2 </numbers>"
       "</nesteds><empty/><ServiceData xmlns='" BASE "'/></Everything>",
       " 1 2 ", "element 'numbers': ' 1 2 ' is not an xs:int"},
      {"an empty int list entry", kEverything,
       "<Everything xmlns='" COV "'><flat count='1'/><object/><nesteds><numbers/>"
       "</nesteds><empty/><ServiceData xmlns='" BASE "'/></Everything>",
       "<numbers/>", "element 'numbers': '' is not an xs:int"},
      {"a date that does not exist", kFlat,
       "<Flat xmlns='" COV "' count='1' when='2001-02-29T00:00:00'/>",
       "when=", "attribute 'when': '2001-02-29T00:00:00' is not an xs:dateTime"},
      {"year 0000", kFlat, "<Flat xmlns='" COV "' count='1' when='0000-01-01T00:00:00'/>",
       "when=", "attribute 'when': '0000-01-01T00:00:00' is not an xs:dateTime"},
      {"a pattern", kFlat, "<Flat xmlns='" COV "' count='1' stamp='2001-01-01T00:00:00Z'/>",
       "stamp=",
       "attribute 'stamp': '2001-01-01T00:00:00Z' does not match the pattern of "
       "'Stamp': [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}"},
      {"long values are shortened", kQuery, query(" limit='" + std::string(100, '9') + "'", kRef),
       "limit=", "attribute 'limit': '" + std::string(48, '9') + "'... is not an xs:int"},
  };
}

INSTANTIATE_TEST_SUITE_P(Rules, ValidationRules, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char c : std::string(info.param.rule))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

TEST(Validation, LeavesReadingAsLenientAsItWas) {
  // Invalid (the single child is missing and an attribute is undeclared), and read all the same.
  const XMLDocument document =
      XMLDocument::parse(query(" limit='3' max='2'", "<entries>a</entries>"));
  EXPECT_THROW(Savedquery::ExecuteSavedQueryInput::validateDocument(document), DomException);
  Savedquery::ExecuteSavedQueryInput input;
  input.parse(document.getRootElement());
  EXPECT_EQ(input.getLimit(), 3);
  EXPECT_EQ(input.getEntrieArray(), std::vector<std::string>{"a"});
}

TEST(Validation, OfANestedElementLooksAtItsContentOnly) {
  const XMLDocument document = XMLDocument::parse("<GetSavedQueriesResponse xmlns='" SQ
                                                  "'><queries name='n'><query/></queries><queries/>"
                                                  "</GetSavedQueriesResponse>");
  const auto first = document.getRootElement().getFirstChild();
  EXPECT_NO_THROW(Savedquery::SavedQueryObject::validate(first));
  try {
    Savedquery::SavedQueryObject::validate(first.getNextSibling());
    ADD_FAILURE() << "no exception";
  } catch (const DomException& error) {
    const std::string text = "<GetSavedQueriesResponse xmlns='" SQ
                             "'><queries name='n'><query/>"
                             "</queries><queries/></GetSavedQueriesResponse>";
    EXPECT_EQ(error.getMessage(),
              placeOf(text, "<queries/>") +
                  "expected element 'query' before the end of element 'queries'");
  }
}

TEST(Validation, AHugeNameMakesNoHugeMessage) {
  const std::string name(5'000'000, 'n');
  const XMLDocument document = XMLDocument::parse(query("", std::string(kRef) + "<" + name + "/>"));
  try {
    Savedquery::ExecuteSavedQueryInput::validateDocument(document);
    ADD_FAILURE() << "no exception";
  } catch (const DomException& error) {
    EXPECT_LT(error.getMessage().size(), 300u);
  }
}

}  // namespace
