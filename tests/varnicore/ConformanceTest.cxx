// The reader against the conformance corpus in tests/corpus: every document in not-wf/ must be
// refused with the message, line and column that not-wf/expected.txt gives for it, and every
// document in wf/ must be read into the tree that wf/expected.txt describes. The documents are
// found at run time, so a new one needs no change here, only its expectation.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>

#include "Documents.hxx"

namespace {

namespace fs = std::filesystem;
using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XMLNode;
using PelagonTest::readFile;

const fs::path kCorpus = PELAGON_CORPUS_DIR;

std::vector<std::string> documentsIn(const char* folder) {
  return PelagonTest::documentsIn(kCorpus / folder);
}

// not-wf/expected.txt: "FILE: MESSAGE", one a line. A line without ": " becomes an entry that
// names no document, so the folder check catches it.
const std::map<std::string, std::string>& expectedMessages() {
  static const std::map<std::string, std::string> messages = [] {
    std::map<std::string, std::string> result;
    std::istringstream in(readFile(kCorpus / "not-wf" / "expected.txt"));
    for (std::string line; std::getline(in, line);) {
      const std::size_t colon = line.find(": ");
      result[line.substr(0, colon)] = colon == std::string::npos ? "" : line.substr(colon + 2);
    }
    return result;
  }();
  return messages;
}

// wf/expected.txt: "== FILE", then the dump of the document's tree.
const std::map<std::string, std::string>& expectedTrees() {
  static const std::map<std::string, std::string> trees = [] {
    std::map<std::string, std::string> result;
    std::istringstream in(readFile(kCorpus / "wf" / "expected.txt"));
    std::string* section = nullptr;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("== ", 0) == 0)
        section = &result[line.substr(3)];
      else if (section != nullptr)
        *section += line + '\n';
    }
    return result;
  }();
  return trees;
}

// Printable ASCII stays as it is, everything else becomes an escape: expected.txt stays
// readable, and no control character, line end or look-alike letter can pass unseen.
std::string escaped(std::string_view text) {
  std::string out;
  char buffer[16];
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0x80 && lead < 0xC0) {  // never the start of a character: the tree is broken
      std::snprintf(buffer, sizeof buffer, "\\x{%02X}", lead);
      out += buffer;
      ++i;
      continue;
    }
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    if (code == '\\' || code == '"') {
      out += '\\';
      out += static_cast<char>(code);
    } else if (code == '\t' || code == '\n' || code == '\r') {
      out += code == '\t' ? "\\t" : code == '\n' ? "\\n" : "\\r";
    } else if (code >= 0x20 && code < 0x7F) {
      out += static_cast<char>(code);
    } else {
      std::snprintf(buffer, sizeof buffer, "\\u{%04X}", static_cast<unsigned>(code));
      out += buffer;
    }
  }
  return out;
}

// One line per element, "{namespace}local" and its attributes sorted by name, then its own text
// on a line of its own when it has any, then its children, each level indented by two spaces.
void dump(const XMLNode& element, std::size_t depth, std::string& out) {
  const std::string indent(2 * depth, ' ');
  out += indent + "{" + escaped(element.getNamespaceUri()) + "}" + escaped(element.getLocalName());
  std::vector<std::string> names = element.getAttrNames();
  std::sort(names.begin(), names.end());
  for (const std::string& name : names)
    out += " " + escaped(name) + "=\"" + escaped(element.getAttr(name)) + "\"";
  out += '\n';
  const std::string text = element.getText();
  if (!text.empty())
    out += indent + "  \"" + escaped(text) + "\"\n";
  for (const XMLNode& child : element.getChildren())
    dump(child, depth + 1, out);
}

std::string testName(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param.substr(0, info.param.size() - 4);  // without ".xml"
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)))
      c = '_';
  }
  return name;
}

class NotWellFormed : public testing::TestWithParam<std::string> {};

TEST_P(NotWellFormed, FailsWithItsMessageAndPlace) {
  const auto expected = expectedMessages().find(GetParam());
  ASSERT_NE(expected, expectedMessages().end()) << "not listed in not-wf/expected.txt";
  const std::string& message = expected->second;
  int line = 0;
  int column = 0;
  ASSERT_EQ(std::sscanf(message.c_str(), "line %d, column %d: ", &line, &column), 2) << message;
  try {
    XMLDocument::parse(readFile(kCorpus / "not-wf" / GetParam()));
  } catch (const DomException& e) {
    EXPECT_EQ(e.getMessage(), message);
    EXPECT_EQ(e.getLine(), line);
    EXPECT_EQ(e.getColumn(), column);
    return;
  }
  ADD_FAILURE() << "parsed, but must fail with: " << message;
}

INSTANTIATE_TEST_SUITE_P(Conformance, NotWellFormed, testing::ValuesIn(documentsIn("not-wf")),
                         testName);

class WellFormed : public testing::TestWithParam<std::string> {};

TEST_P(WellFormed, ParsesToItsTree) {
  const auto expected = expectedTrees().find(GetParam());
  ASSERT_NE(expected, expectedTrees().end()) << "no section for it in wf/expected.txt";
  std::string tree;
  try {
    const XMLDocument document = XMLDocument::parse(readFile(kCorpus / "wf" / GetParam()));
    dump(document.getRootElement(), 0, tree);
  } catch (const DomException& e) {
    FAIL() << "refused: " << e.getMessage();
  }
  EXPECT_EQ(tree, expected->second);
}

INSTANTIATE_TEST_SUITE_P(Conformance, WellFormed, testing::ValuesIn(documentsIn("wf")), testName);

std::vector<std::string> keysOf(const std::map<std::string, std::string>& map) {
  std::vector<std::string> keys;
  for (const auto& entry : map)
    keys.push_back(entry.first);
  return keys;
}

// The parameterised tests catch a document without an expectation; this catches an expectation
// without its document, and a corpus that was not found at all.
TEST(ConformanceCorpus, ListsMatchTheFolders) {
  EXPECT_FALSE(documentsIn("not-wf").empty()) << kCorpus;
  EXPECT_FALSE(documentsIn("wf").empty()) << kCorpus;
  EXPECT_EQ(keysOf(expectedMessages()), documentsIn("not-wf"));
  EXPECT_EQ(keysOf(expectedTrees()), documentsIn("wf"));
}

}  // namespace
