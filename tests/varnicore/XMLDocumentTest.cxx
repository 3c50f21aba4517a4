#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>

#include "Documents.hxx"

namespace {

using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XMLNode;
using PelagonTest::parseError;

TEST(XMLDocumentTest, ReportsMalformedTextWithLineAndColumn) {
  EXPECT_EQ(parseError("<a>\n  <b></c>\n</a>"),
            "line 2, column 8: End tag </c> does not match start tag <b>");
  EXPECT_EQ(parseError("<a/>\n<b/>"), "line 2, column 1: A second root element is not allowed");
  // Faults found before reading count CR LF, LF and a lone CR as one line end each.
  EXPECT_EQ(parseError("<?xml version='1.0' encoding='US-ASCII'?>\r\n<a>\r\r\n\n\xE9</a>"),
            "line 5, column 1: Byte 0xE9 is not US-ASCII, the encoding declared");
  EXPECT_EQ(parseError("<?xml version=\"1.0\"?>\r\n<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>"),
            "line 2, column 1: DOCTYPE is not allowed");
  for (const std::string text : {"", "\xEF\xBB\xBF", "<!-- only a comment -->", "<a>", "<a",
                                 "<a></b>", "<a b=\"1></a>", "text"}) {
    const std::string message = parseError(text);
    EXPECT_EQ(message.rfind("line 1, column ", 0), 0u) << '"' << text << "\": " << message;
  }
}

// A reference in the last bytes of the text is read as anywhere else: the document is refused
// for what follows it, or for the reference itself when it is cut short.
TEST(XMLDocumentTest, ReadsReferencesUpToTheEndOfTheText) {
  const std::pair<const char*, const char*> cases[] = {
      {"<a>&lt;", "line 1, column 8: The document ends before element a is closed"},
      {"<a>&apos;", "line 1, column 10: The document ends before element a is closed"},
      {"<a b='&quot;", "line 1, column 13: The document ends inside an attribute value"},
      {"<a>&#x41;", "line 1, column 10: The document ends before element a is closed"},
      {"<a>&amp",
       "line 1, column 4: '&' must start an entity or character reference ending in ';'"},
      {"<a>&", "line 1, column 4: '&' must start an entity or character reference ending in ';'"},
  };
  for (const auto& [text, message] : cases)
    EXPECT_EQ(parseError(text), message) << text;
}

TEST(XMLDocumentTest, KeepsTextAsXmlDefinesIt) {
  const XMLDocument document = XMLDocument::parse(
      "<r>"
      "<ws> \t\n </ws>"
      "<crlf a=\"1\r\n2\">x\r\ny\rz</crlf>"
      "<refs a=\"&#9;&#13;&#10;&lt;\">&#9;&#13;&#10;&amp;</refs>"
      "<mixed>a<![CDATA[<b>]]>c<child>not mine</child>d<!-- skipped -->e</mixed>"
      "<empty/>"
      "</r>");
  std::vector<std::string> texts;
  std::vector<std::string> attributes;
  for (const XMLNode& child : document.getRootElement().getChildren()) {
    texts.push_back(child.getText());
    attributes.push_back(child.getAttr("a"));
  }
  EXPECT_EQ(texts, (std::vector<std::string>{" \t\n ", "x\ny\nz", "\t\r\n&", "a<b>cde", ""}));
  // Literal line ends in attribute values become spaces; references to them stay.
  EXPECT_EQ(attributes, (std::vector<std::string>{"", "1 2", "\t\r\n<", "", ""}));
}

TEST(XMLDocumentTest, ResolvesNamesAndNamespaces) {
  const XMLDocument document = XMLDocument::parse(
      "<p:root xmlns:p=\"urn:p\" xmlns=\"urn:d\" id=\"7\">"
      "<plain/><p:pre/><inner xmlns=\"\"><p:shadow xmlns:p=\"urn:q\"/><none/></inner>"
      "</p:root>");
  const XMLNode root = document.getRootElement();
  EXPECT_EQ(root.getName(), "p:root");
  EXPECT_EQ(root.getLocalName(), "root");
  EXPECT_EQ(root.getNamespaceUri(), "urn:p");
  EXPECT_EQ(root.getAttrNames(), (std::vector<std::string>{"xmlns:p", "xmlns", "id"}));
  EXPECT_TRUE(root.hasAttr("id"));
  EXPECT_FALSE(root.hasAttr("p:id"));
  EXPECT_EQ(root.getAttr("missing"), "");

  std::vector<std::string> uris;
  const XMLNode inner = root.getFirstChild().getNextSibling().getNextSibling();
  for (const XMLNode& node : {root.getFirstChild(), root.getFirstChild().getNextSibling(), inner,
                              inner.getFirstChild(), inner.getFirstChild().getNextSibling()}) {
    uris.push_back(node.getNamespaceUri());
  }
  EXPECT_EQ(uris, (std::vector<std::string>{"urn:d", "urn:p", "", "urn:q", ""}));
}

// Several values in one pass: the attributes in the order asked for, in part, in another order,
// with names not asked for between them, and names that the element lacks.
TEST(XMLDocumentTest, TakesSeveralAttributesInAnyOrder) {
  const std::vector<std::string_view> names{"a", "bb", "ccc", "dddd"};
  const std::pair<const char*, std::vector<std::string_view>> cases[] = {
      {"<e a='1' bb='2' ccc='3' dddd='4'/>", {"1", "2", "3", "4"}},
      {"<e dddd='4' ccc='3' bb='2' a='1'/>", {"1", "2", "3", "4"}},
      {"<e a='1' bb='2' dddd='4' ccc='3'/>", {"1", "2", "3", "4"}},
      {"<e a='1' xmlns:p='urn:p' p:bb='x' ccc='3' z='9'/>", {"1", "", "3", ""}},
      {"<e bb='2'/>", {"", "2", "", ""}},
      {"<e a='1' bb=''/>", {"1", "", "", ""}},
      {"<e/>", {"", "", "", ""}},
  };
  for (const auto& [text, expected] : cases) {
    const XMLDocument document = XMLDocument::parse(text);
    std::vector<std::string_view> values(names.size(), "stale");
    document.getRootElement().getAttrViews(names.data(), values.data(), names.size());
    EXPECT_EQ(values, expected) << text;
  }
}

// Past a handful of bindings in scope, prefixes are looked up another way: the same answers,
// shadowing and its end included.
TEST(XMLDocumentTest, ResolvesPrefixesThroughManyBindings) {
  // e0 to e11 nested, each binding p and a prefix of its own, every third the default namespace;
  // after each inner element ends, two elements that resolve p and the default again.
  std::string text;
  for (int i = 0; i < 12; ++i) {
    const std::string n = std::to_string(i);
    text += "<p:e" + n + " xmlns:p='urn:p" + n + "' xmlns:q" + n + "='urn:q" + n + "'" +
            (i % 3 == 0 ? " xmlns='urn:d" + n + "'" : "") + ">";
  }
  text += "<q0:a/><q11:b/><p:c/><d/>";
  for (int i = 11; i > 0; --i)
    text += "</p:e" + std::to_string(i) + "><p:after/><e/>";
  const std::string unbound = text + "<z:x/></p:e0>";
  text += "</p:e0>";

  const XMLDocument document = XMLDocument::parse(text);
  std::vector<XMLNode> levels{document.getRootElement()};
  while (levels.back().getFirstChild().getLocalName().rfind("e", 0) == 0)
    levels.push_back(levels.back().getFirstChild());
  ASSERT_EQ(levels.size(), 12u);
  std::vector<std::string> uris;
  for (const XMLNode& leaf : levels.back().getChildren())
    uris.push_back(leaf.getNamespaceUri());
  EXPECT_EQ(uris, (std::vector<std::string>{"urn:q0", "urn:q11", "urn:p11", "urn:d9"}));
  for (std::size_t level = 0; level + 1 < levels.size(); ++level) {
    const XMLNode after = levels[level + 1].getNextSibling();
    const std::string n = std::to_string(level);
    EXPECT_EQ(after.getNamespaceUri(), "urn:p" + n);
    EXPECT_EQ(after.getNextSibling().getNamespaceUri(), "urn:d" + std::to_string(level / 3 * 3));
  }
  EXPECT_NE(parseError(unbound).find("The prefix z is not bound to a namespace"),
            std::string::npos);
}

// Start tags that repeat an earlier one's attributes are read faster, and must be checked as
// strictly: each document below primes an element's start tag, then breaks a rule in the next.
TEST(XMLDocumentTest, ChecksRepeatedStartTagsLikeTheFirst) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<r><e a='1' b='2' c='3'/><e a='1' b='2' a='3'/></r>",
       "line 1, column 41: Attribute a is repeated in element e"},
      {"<r><e a='1' b='2'/><e a='1' b='2' b='3'/></r>",
       "line 1, column 35: Attribute b is repeated in element e"},
      {"<r><e a='1' b='2'/><e b='1' b='2'/></r>",
       "line 1, column 29: Attribute b is repeated in element e"},
      {"<r><x xmlns:p='u'><e p:a='1'/></x><e p:a='1'/></r>",
       "line 1, column 38: The prefix p is not bound to a namespace"},
      {"<r xmlns:p='u' xmlns:q='u'><e p:a='1' q:b='2'/><e p:a='1' q:a='2'/></r>",
       "line 1, column 59: Attribute q:a of element e repeats another's namespace \"u\" and "
       "local name a"},
      {"<r><e ab='1'/><e abc='1' ab=''/><e ab='1' ab='2'/></r>",
       "line 1, column 43: Attribute ab is repeated in element e"},
      {"<r><e ab='1'/><e ab\xC2\xB7='1' ab\xC2\xB7=''/></r>",
       "line 1, column 27: Attribute ab\xC2\xB7 is repeated in element e"},
  };
  for (const auto& [text, message] : cases)
    EXPECT_EQ(parseError(text), message) << text;
  // And read the same: a name that begins like the last one, and one with its own prefix.
  const XMLDocument document = XMLDocument::parse(
      "<r xmlns:p='urn:p'><e ab='1' p:c='2'/><e abc='3' p:c='4'/><e ab='5' p:c='6'/></r>");
  std::vector<std::string> values;
  for (const XMLNode& e : document.getRootElement().getChildren()) {
    for (const std::string& name : e.getAttrNames())
      values.push_back(name + "=" + e.getAttr(name));
  }
  EXPECT_EQ(values, (std::vector<std::string>{"ab=1", "p:c=2", "abc=3", "p:c=4", "ab=5", "p:c=6"}));
}

TEST(XMLDocumentTest, WalksElementsOnly) {
  const XMLDocument document =
      XMLDocument::parse("<r>text<!-- c --><?pi x?><a/> <b><c/></b><![CDATA[x]]></r>");
  const XMLNode root = document.getRootElement();
  EXPECT_FALSE(root.hasParent());
  EXPECT_TRUE(root.getParent().isNull());
  EXPECT_EQ(root.getChildCount(), 2u);
  const XMLNode b = root.getFirstChild().getNextSibling();
  EXPECT_EQ(b.getName(), "b");
  EXPECT_TRUE(b.getNextSibling().isNull());
  EXPECT_EQ(b.getFirstChild().getParent().getName(), "b");
  EXPECT_EQ(b.getFirstChild().getParent().getParent().getName(), "r");
  // Whichever way a node is reached, it knows whether it is the root.
  EXPECT_TRUE(b.hasParent());
  EXPECT_TRUE(b.getFirstChild().getParent().hasParent());
  EXPECT_FALSE(b.getParent().hasParent());
  EXPECT_TRUE(b.getParent().isSameAs(root));
  for (const XMLNode& child : root.getChildren())
    EXPECT_TRUE(child.hasParent());

  const XMLNode null;
  EXPECT_TRUE(null.getName().empty());
  EXPECT_EQ(null.getText(), "");
  EXPECT_EQ(null.getChildCount(), 0u);
  EXPECT_FALSE(null.hasParent());
  EXPECT_EQ(null.getLine(), 0);
}

TEST(XMLDocumentTest, KnowsWhereEachStartTagBegins) {
  // Byte order mark, CR LF, a lone CR and a tab; columns count bytes after the mark.
  const XMLDocument document =
      XMLDocument::parse("\xEF\xBB\xBF<r>\r\n  <a/>\r\t<b>\xC3\xA9<c/></b>\n</r>");
  const XMLNode root = document.getRootElement();
  const XMLNode a = root.getFirstChild();
  const XMLNode b = a.getNextSibling();
  const XMLNode c = b.getFirstChild();
  EXPECT_EQ(std::make_pair(root.getLine(), root.getColumn()), std::make_pair(1, 1));
  EXPECT_EQ(std::make_pair(a.getLine(), a.getColumn()), std::make_pair(2, 3));
  EXPECT_EQ(std::make_pair(b.getLine(), b.getColumn()), std::make_pair(3, 2));
  EXPECT_EQ(std::make_pair(c.getLine(), c.getColumn()), std::make_pair(3, 7));
}

TEST(XMLDocumentTest, NodesOutliveMovesOfTheirDocument) {
  std::string text = "<r><a>kept</a></r>";
  XMLDocument first = XMLDocument::parse(std::move(text));
  const XMLNode a = first.getRootElement().getFirstChild();
  XMLDocument second = std::move(first);
  EXPECT_TRUE(first.getRootElement().isNull());
  EXPECT_EQ(a.getText(), "kept");
  EXPECT_EQ(second.getRootElement().getFirstChild().getText(), "kept");
}

TEST(XMLDocumentTest, ParsesDeepNestingWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::string text;
  text.reserve(kDepth * 8 + 32);
  text += "<e xmlns=\"urn:deep\">";
  for (int i = 1; i < kDepth; ++i)
    text += "<e>";
  text += "leaf";
  for (int i = 0; i < kDepth; ++i)
    text += "</e>";

  const XMLDocument document = XMLDocument::parse(text);
  XMLNode node = document.getRootElement();
  int depth = 1;
  while (node.getFirstChild()) {
    node = node.getFirstChild();
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(node.getText(), "leaf");
  EXPECT_EQ(node.getNamespaceUri(), "urn:deep");
  EXPECT_EQ(parseError(text.substr(0, text.size() - 4)).rfind("line 1, column ", 0), 0u);
}

}  // namespace
