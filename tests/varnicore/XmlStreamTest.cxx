#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>

#include "XmlLint.hxx"

namespace {

using namespace Corvanthel::Soa::Common::Xml;

const std::string kBase = "http://schemas.example/Soa/2006-03/Base";
const std::string kQuery = "http://schemas.example/Query/2006-03/SavedQuery";
const std::string kOther = "urn:other";

void expectNamespaceWellFormed(const std::string& document) {
  const PelagonTest::LintResult lint = PelagonTest::xmllint(document);
  EXPECT_TRUE(lint.ok) << document << "\n" << lint.output;
}

void writeEmpty(XmlStream& s, const std::string& ns, const std::string& name) {
  s << s.writeOpenElement(ns, name) << s.writeOpenElementClose(ns, true);
}

// A small document that switches default namespaces and uses prefixes below the root.
void writeSample(XmlStream& s) {
  s.addNamespaces({kQuery, kBase});
  s << s.writeOpenElement(kQuery, "Root") << s.writeOpenElementClose(kQuery, false);
  s << s.writeOpenElement(kBase, "Item")
    << s.writeAttribute(s.getNamespacePrefix(kQuery) + ":ref", "1")
    << s.writeOpenElementClose(kBase, false);
  writeEmpty(s, kQuery, "Back");
  writeEmpty(s, "", "Plain");
  s << s.writeCloseElement(kBase, "Item");
  writeEmpty(s, kOther, s.getNamespacePrefix(kQuery) + ":Prefixed");
  s << s.writeCloseElement(kQuery, "Root");
}

TEST(XmlStreamTest, RootDeclaresItsNamespacesInSetOrder) {
  XmlStream s;
  EXPECT_TRUE(s.isRootElement());
  s.addNamespaces({kQuery, kBase});
  const std::string expected = "<Root xmlns:savedquery=\"" + kQuery + "\" xmlns:base=\"" + kBase +
                               "\" xmlns=\"" + kQuery + "\"";
  EXPECT_EQ(s.writeOpenElement(kQuery, "Root"), expected);
  EXPECT_FALSE(s.isRootElement());
  EXPECT_EQ(s.getNamespacePrefix(kBase), "base");
  EXPECT_EQ(s.writeAttribute("a", "x&amp;y"), " a=\"x&amp;y\"");
  EXPECT_EQ(s.writeOpenElementClose(kQuery, true), "/>");
  EXPECT_TRUE(s.isRootElement());
}

// A stream that inserts its own markup writes the same bytes, into its own buffer or the
// caller's, and every write... call then returns nothing to insert.
TEST(XmlStreamTest, InsertingItsOwnMarkupWritesTheSameBytes) {
  XmlStream plain;
  writeSample(plain);
  XmlStream own;
  std::stringbuf callers;
  XmlStream onCallers(&callers);
  for (XmlStream* s : {&own, &onCallers}) {
    EXPECT_FALSE(s->setInsertsMarkup(true));
    writeSample(*s);
    s->addNamespaces({kQuery});
    EXPECT_EQ(s->writeOpenElement(kQuery, "Root"), "");
    EXPECT_EQ(s->writeAttribute("a", "1"), "");
    EXPECT_EQ(s->writeOpenElementClose(kQuery, false), "");
    EXPECT_EQ(s->writeCloseElement(kQuery, "Root"), "");
    EXPECT_TRUE(s->setInsertsMarkup(false));
  }
  const std::string second =
      "<Root xmlns:savedquery=\"" + kQuery + "\" xmlns=\"" + kQuery + "\" a=\"1\"></Root>";
  EXPECT_EQ(own.str(), plain.str() + second);
  EXPECT_EQ(callers.str(), plain.str() + second);
}

// The stream's own buffer gathers text in chunks: text that crosses them, a piece larger than
// any chunk, single characters, a copy taken half-way, and the text taken out, after which the
// stream starts again from nothing.
TEST(XmlStreamTest, KeepsItsTextWholeAcrossItsChunks) {
  XmlStream s;
  std::string expected;
  const auto add = [&](const std::string& piece) {
    s << piece;
    expected += piece;
  };
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; expected.size() < 3'000'000; ++i) {
      add(std::string(static_cast<std::size_t>(1 + i % 97), static_cast<char>('a' + i % 26)));
      if (i % 1000 == 0) {
        s << '#';
        expected += '#';
      }
      if (i == 20'000)
        add(std::string(1'500'000, 'L'));
      if (i == 30'000) {
        ASSERT_EQ(s.str(), expected);
      }
    }
    EXPECT_EQ(s.str(), expected);
    EXPECT_EQ(s.release(), expected);
    EXPECT_EQ(s.str(), "");
    expected.clear();
    add("<small/>");
    EXPECT_EQ(s.release(), "<small/>");
    expected.clear();
  }
}

TEST(XmlStreamTest, PrefixesComeFromTheLastPathSegment) {
  const std::pair<std::string, std::string> cases[] = {
      {"http://a.example/Types", "types"},
      {"http://b.example/types/", "types2"},  // same name, other namespace
      {"http://c.example/2006-03", "ns"},     // must start with a letter
      {"http://d.example/XMLSchema", "ns2"},  // "xml..." is reserved
      {"http://e.example/AVeryLongSegmentName", "averylongseg"},
      {"http://f.example/9Lives", "lives"},
      {"urn:Foo-Bar:v2", "urnfoobarv2"}};
  std::set<std::string> namespaces;
  for (const auto& c : cases)
    namespaces.insert(c.first);
  XmlStream s;
  s.addNamespaces(namespaces);
  // Set order decides who gets the plain name; the cases above are listed in that order.
  s << s.writeOpenElement("", "r");
  for (const auto& [uri, prefix] : cases)
    EXPECT_EQ(s.getNamespacePrefix(uri), prefix) << uri;
  s << s.writeOpenElementClose("", true);
  expectNamespaceWellFormed(s.str());
}

TEST(XmlStreamTest, SwitchesDefaultNamespaceOnlyWhereItChanges) {
  XmlStream s;
  writeSample(s);
  const std::string text = s.str();
  expectNamespaceWellFormed(text);
  const XMLDocument document = XMLDocument::parse(text);
  const XMLNode root = document.getRootElement();
  const XMLNode item = root.getFirstChild();
  EXPECT_EQ(root.getNamespaceUri(), kQuery);
  EXPECT_EQ(item.getNamespaceUri(), kBase);
  EXPECT_EQ(item.getAttr("savedquery:ref"), "1");
  EXPECT_EQ(item.getFirstChild().getNamespaceUri(), kQuery);
  EXPECT_EQ(item.getFirstChild().getNextSibling().getNamespaceUri(), "");
  EXPECT_EQ(item.getNextSibling().getNamespaceUri(), kQuery);
  // kQuery is the default namespace in scope at Back: no declaration is repeated there.
  EXPECT_NE(text.find("<Back xmlns=\"" + kQuery + "\"/>"), std::string::npos) << text;
  EXPECT_NE(text.find("<Plain xmlns=\"\"/>"), std::string::npos) << text;
}

TEST(XmlStreamTest, DeclaresANamespaceFirstUsedBelowTheRoot) {
  XmlStream s;
  s << s.writeOpenElement(kBase, "Root") << s.writeOpenElementClose(kBase, false);
  const std::string child = s.writeOpenElement(kOther, "Child");
  EXPECT_EQ(child, "<Child xmlns=\"urn:other\" xmlns:urnother=\"urn:other\"");
  s << child << s.writeOpenElementClose(kOther, false);
  writeEmpty(s, kBase, s.getNamespacePrefix(kOther) + ":Inner");
  s << s.writeCloseElement(kOther, "Child");
  EXPECT_THROW(s.getNamespacePrefix(kOther), std::logic_error);  // out of scope again
  // Declared again on the sibling, with the same prefix.
  const std::string sibling = s.writeOpenElement(kOther, "base:Sibling");
  EXPECT_EQ(sibling, "<base:Sibling xmlns:urnother=\"urn:other\"");
  s << sibling << s.writeOpenElementClose(kOther, true);
  s << s.writeCloseElement(kBase, "Root");
  expectNamespaceWellFormed(s.str());
}

TEST(XmlStreamTest, RejectsUndeclaredPrefixesAndUnbalancedCalls) {
  XmlStream s;
  EXPECT_THROW(s.writeOpenElement(kBase, "q:Root"), std::logic_error);
  EXPECT_TRUE(s.isRootElement());
  EXPECT_THROW(s.writeCloseElement(kBase, "Root"), std::logic_error);
  EXPECT_THROW(s.writeOpenElementClose(kBase, true), std::logic_error);
  s << s.writeOpenElement(kBase, "Root");
  EXPECT_THROW(s.writeAttribute("q:a", "1"), std::logic_error);
  EXPECT_EQ(s.writeAttribute("xml:lang", "en"), " xml:lang=\"en\"");
  EXPECT_EQ(s.writeAttribute("base:a", "1"), " base:a=\"1\"");
  EXPECT_THROW(s.getNamespacePrefix("urn:never"), std::logic_error);
}

TEST(XmlStreamTest, SameContentGivesSameBytes) {
  XmlStream first;
  writeSample(first);
  const std::string once = first.str();
  writeSample(first);  // prefixes of the first document must not leak into the second
  EXPECT_EQ(first.str(), once + once);

  // Each document numbers its prefixes afresh.
  XmlStream next;
  writeEmpty(next, "http://a.example/types", "a");
  writeEmpty(next, "http://b.example/types", "b");
  EXPECT_EQ(next.str(),
            "<a xmlns=\"http://a.example/types\" xmlns:types=\"http://a.example/types\"/>"
            "<b xmlns=\"http://b.example/types\" xmlns:types=\"http://b.example/types\"/>");

  std::stringbuf sink;
  XmlStream second(&sink);
  writeSample(second);
  EXPECT_EQ(sink.str(), once);
  EXPECT_EQ(second.str(), "");
}

TEST(XmlStreamTest, EscapesNamespaceUrisInDeclarations) {
  XmlStream s;
  writeEmpty(s, "http://e.example/q?a=1&b='2'", "r");
  EXPECT_EQ(s.str(),
            "<r xmlns=\"http://e.example/q?a=1&amp;b=&apos;2&apos;\" "
            "xmlns:qa1b2=\"http://e.example/q?a=1&amp;b=&apos;2&apos;\"/>");
  expectNamespaceWellFormed(s.str());
}

TEST(XmlStreamTest, RecycledStringsLeaveNothingOfTheirOldText) {
  XmlStream s;
  const std::string name = "a-rather-long-element-name";
  for (int round = 0; round < 3; ++round) {
    std::string open = s.writeOpenElement(kQuery, name);
    s << open;
    s.recycle(std::move(open));
    std::string attribute = s.writeAttribute("attribute-with-a-long-name", "v");
    EXPECT_EQ(attribute, " attribute-with-a-long-name=\"v\"");
    s << attribute;
    s.recycle(std::move(attribute));
    s.recycle(std::string(5000, 'x'));  // too large to keep; dropped
    s << s.writeOpenElementClose(kQuery, false);
    std::string close = s.writeCloseElement(kQuery, name);
    EXPECT_EQ(close, "</" + name + ">");
    s << close;
    s.recycle(std::move(close));
  }
  const std::string one = "<" + name + " xmlns=\"" + kQuery + "\" xmlns:savedquery=\"" + kQuery +
                          "\" attribute-with-a-long-name=\"v\"></" + name + ">";
  EXPECT_EQ(s.str(), one + one + one);
}

}  // namespace

namespace {

using Corvanthel::Soa::Common::Exceptions::InvalidXmlText;

// Element and attribute names as the productions judge them. "P:" stands for the prefix that
// the stream has declared.
struct NameCase {
  const char* name;
  bool isQName;
};

const NameCase kNames[] = {
    {"", false},
    {"a b", false},
    {"a>b", false},
    {"a\"b", false},
    {"a/b", false},
    {"a=b", false},
    {"1abc", false},
    {"-a", false},
    {".a", false},
    {"a:b:c", false},
    {":a", false},
    {"a:", false},
    {"P:1a", false},
    {"\xC2\xB7"
     "a",
     false},  // U+00B7 may follow a name's first character, not be it
    {"\xCC\x80"
     "A",
     false},                   // U+0300, a combining mark, likewise
    {"a\xC3\x97", false},      // U+00D7 is no name character at all
    {"a\xE2\x80\xA8", false},  // U+2028
    {"a\xFF", false},          // not UTF-8
    {"a\xC0\xAF", false},      // an overlong form of "/"
    {"a", true},
    {"_1-.b", true},
    {"P:local", true},
    {"\xC3\xA9t\xC3\xA9", true},              // U+00E9
    {"a\xC2\xB7\xCC\x80\xE2\x80\xBF", true},  // U+00B7, U+0300, U+203F after the first
    {"\xE4\xB8\xAD\xE6\x96\x87", true},       // U+4E2D U+6587
    {"\xF0\x90\x80\x80", true},               // U+10000
    {"\xE2\x81\xB0", true},                   // U+2070, the first of a range
};

std::string withPrefix(const std::string& name, const std::string& prefix) {
  return name.rfind("P:", 0) == 0 ? prefix + name.substr(1) : name;
}

// Each name as the name of an element below the root and of an attribute of it: a QName is
// written, and the document is one that xmllint (an independent reader) accepts; any other name
// throws, leaves the stream as it was, and is one that our reader refuses to read.
TEST(XmlStreamTest, WritesElementAndAttributeNamesExactlyWhenTheyAreQNames) {
  for (const NameCase& entry : kNames) {
    XmlStream s;
    s << s.writeOpenElement(kQuery, "Root") << s.writeOpenElementClose(kQuery, false);
    const std::string name = withPrefix(entry.name, s.getNamespacePrefix(kQuery));
    SCOPED_TRACE("name: " + name);
    if (entry.isQName) {
      s << s.writeOpenElement(kQuery, name) << s.writeAttribute(name, "1")
        << s.writeOpenElementClose(kQuery, true);
    } else {
      try {
        s.writeOpenElement(kQuery, name);
        ADD_FAILURE() << "element name accepted";
      } catch (const InvalidXmlText& error) {
        EXPECT_NE(std::string(error.what()).find("\"" + name + "\""), std::string::npos)
            << error.what();
      }
      s << s.writeOpenElement(kQuery, "Item");
      EXPECT_THROW(s.writeAttribute(name, "1"), InvalidXmlText);
      s << s.writeOpenElementClose(kQuery, true);
      EXPECT_THROW(XMLDocument::parse("<" + name + "/>"),
                   Corvanthel::Soa::Common::Exceptions::DomException);
    }
    s << s.writeCloseElement(kQuery, "Root");
    expectNamespaceWellFormed(s.str());
  }
}

TEST(XmlStreamTest, RefusesNamespaceDeclarationsAndTheReservedNamespaces) {
  XmlStream s;
  s << s.writeOpenElement(kQuery, "Root");
  for (const std::string name : {"xmlns", "xmlns:p", "xmlns:xml"})
    EXPECT_THROW(s.writeAttribute(name, kOther), InvalidXmlText) << name;
  s << s.writeOpenElementClose(kQuery, false);
  for (const std::string ns :
       {"http://www.w3.org/XML/1998/namespace", "http://www.w3.org/2000/xmlns/"}) {
    EXPECT_THROW(s.writeOpenElement(ns, "Item"), InvalidXmlText) << ns;
    XmlStream root;
    root.addNamespaces({kQuery, ns});
    EXPECT_THROW(root.writeOpenElement(kQuery, "Root"), InvalidXmlText) << ns;
    EXPECT_TRUE(root.isRootElement());
  }
  s << s.writeCloseElement(kQuery, "Root");
  expectNamespaceWellFormed(s.str());
}

// Calls that would make the markup ill-formed throw and return nothing; the stream goes on as if
// they had not been made.
TEST(XmlStreamTest, RefusesCallsOutOfOrder) {
  XmlStream s;
  EXPECT_THROW(s.writeAttribute("a", "1"), std::logic_error);  // no element
  s << s.writeOpenElement(kQuery, "Root") << s.writeAttribute("a", "1");
  EXPECT_THROW(s.writeAttribute("a", "2"), std::logic_error);
  EXPECT_THROW(s.writeOpenElement(kQuery, "Item"), std::logic_error);
  EXPECT_THROW(s.writeCloseElement(kQuery, "Root"), std::logic_error);
  s << s.writeAttribute("b", "2") << s.writeOpenElementClose(kQuery, false);
  EXPECT_THROW(s.writeAttribute("c", "3"), std::logic_error);
  EXPECT_THROW(s.writeOpenElementClose(kQuery, false), std::logic_error);
  s << s.writeOpenElement(kQuery, "Item") << s.writeOpenElementClose(kQuery, false);
  EXPECT_THROW(s.writeCloseElement(kQuery, "Root"), std::logic_error);
  EXPECT_THROW(s.writeCloseElement(kQuery, "Ite"), std::logic_error);
  s << s.writeCloseElement(kQuery, "Item") << s.writeCloseElement(kQuery, "Root");
  EXPECT_TRUE(s.isRootElement());
  expectNamespaceWellFormed(s.str());
}

// The names of a start tag are told apart by their bytes, whatever strings hold them: the same
// string with new contents, and many names, more than the stream remembers.
TEST(XmlStreamTest, TellsAttributeNamesApartByTheirBytes) {
  XmlStream s;
  s << s.writeOpenElement(kQuery, "Root");
  std::string name = "attribute-0";
  for (int i = 0; i < 200; ++i) {
    name.replace(10, std::string::npos, std::to_string(i));
    s << s.writeAttribute(name, "v");
  }
  for (const std::string again : {"attribute-0", "attribute-199", "attribute-64"})
    EXPECT_THROW(s.writeAttribute(again, "w"), std::logic_error) << again;
  s << s.writeOpenElementClose(kQuery, true);
  expectNamespaceWellFormed(s.str());
  // The 200 attributes and the two declarations of kQuery, as default and with its prefix.
  EXPECT_EQ(XMLDocument::parse(s.str()).getRootElement().getAttrNames().size(), 202u);
}

// Start tags that repeat the attributes of the last one of their element are checked as
// strictly as any: a name given twice is refused at any place in the repeat, after other names
// have taken the places the stream remembered, and when the repeat breaks off and goes on.
TEST(XmlStreamTest, RepeatedStartTagsAreCheckedAsStrictlyAsNewOnes) {
  XmlStream s;
  s << s.writeOpenElement(kQuery, "Root") << s.writeOpenElementClose(kQuery, false);
  const auto item = [&s](std::initializer_list<const char*> names) {
    s << s.writeOpenElement(kQuery, "Item");
    for (const char* name : names)
      s << s.writeAttribute(name, "v");
    s << s.writeOpenElementClose(kQuery, true);
  };
  for (int i = 0; i < 3; ++i)
    item({"a", "b", "c"});
  for (const auto& names : std::vector<std::vector<std::string>>{
           {"a", "b", "a"}, {"a", "a"}, {"a", "b", "c", "b"}, {"a", "x", "b", "x"}}) {
    for (int i = 0; i < 100; ++i)  // other names take the places the stream remembered
      writeEmpty(s, kQuery, "e" + std::to_string(i));
    item({"a", "b", "c"});
    s << s.writeOpenElement(kQuery, "Item");
    for (std::size_t i = 0; i + 1 < names.size(); ++i)
      s << s.writeAttribute(names[i], "v");
    EXPECT_THROW(s.writeAttribute(names.back(), "w"), std::logic_error) << names.size();
    s << s.writeOpenElementClose(kQuery, true);
  }
  s << s.writeCloseElement(kQuery, "Root");
  expectNamespaceWellFormed(s.str());
}

// A document larger than the stream's room for a typical one, in every direction: deeper
// nesting, more namespaces, longer names and more text than it keeps inline. Every namespace
// stays declared in its scope, every end tag matches, and the next document starts afresh.
TEST(XmlStreamTest, KeepsDeepDocumentsWithManyNamespacesIntact) {
  constexpr int kDepth = 60;
  const auto uri = [](int i) {
    return "http://schemas.example/Deep/Level" + std::to_string(i) + "/" + std::string(40, 'n');
  };
  const auto name = [](int i) { return "element-" + std::string(20, 'x') + std::to_string(i); };
  const auto write = [&](XmlStream& s) {
    for (int i = 0; i < kDepth; ++i) {
      s << s.writeOpenElement(uri(i), name(i));
      s << s.writeAttribute("text", std::string(100, 'a' + i % 26));
      s << s.writeOpenElementClose(uri(i), false);
    }
    for (int i = 0; i < kDepth; ++i)
      EXPECT_FALSE(s.getNamespacePrefix(uri(i)).empty()) << i;
    for (int i = kDepth - 1; i >= 0; --i)
      s << s.writeCloseElement(uri(i), name(i));
    EXPECT_TRUE(s.isRootElement());
  };
  XmlStream twice;
  write(twice);
  const std::string first = twice.str();
  write(twice);
  XmlStream fresh;
  write(fresh);
  EXPECT_EQ(fresh.str(), first);
  EXPECT_EQ(twice.str(), first + first);
  expectNamespaceWellFormed(first);
  const XMLDocument parsed = XMLDocument::parse(first);
  XMLNode node = parsed.getRootElement();
  for (int i = 0; i < kDepth; ++i) {
    ASSERT_TRUE(node) << i;
    EXPECT_EQ(node.getNamespaceUri(), uri(i));
    EXPECT_EQ(node.getLocalName(), name(i));
    EXPECT_FALSE(node.getNextSibling());
    node = node.getFirstChild();
  }
  EXPECT_FALSE(node);
}

}  // namespace
