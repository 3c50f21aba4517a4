// Random documents of every document type of the type table, with hostile text, ints at the
// edges and dates across the whole range: each is read into its type and written, and that text
// is read and written again. The two texts are the same, the first holds every value the random
// document gave, field by field, and one case in 50 passes xmllint against the type's schema.
// Seeded: a failure prints the seed of its case, and PELAGON_PROPERTY_SEED=N
// PELAGON_PROPERTY_CASES=1 runs that case alone.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>

#include "RoundTrip.hxx"
#include "TypeTable.hxx"

namespace {

using ::Corvanthel::Soa::Common::Exceptions::DomException;
using ::Corvanthel::Soa::Common::Exceptions::InvalidXmlText;
using ::Corvanthel::Soa::Common::Xml::XMLDocument;
using ::Corvanthel::Soa::Common::Xml::XMLNode;
using ::Pelagon::Tool::FieldInfo;
using ::Pelagon::Tool::FieldKind;
using ::Pelagon::Tool::kNoType;
using ::Pelagon::Tool::TypeInfo;
using ::Pelagon::Tool::TypeTable;

const TypeTable& table() {
  return ::Pelagon::Tool::typeTable();
}

std::uint64_t fromEnvironment(const char* name, std::uint64_t fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoull(value, nullptr, 10) : fallback;
}

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}

  // Plain arithmetic on the engine's output rather than the standard distributions, whose results
  // differ between standard libraries: a seed names the same case in every build.
  int below(int bound) { return static_cast<int>(engine_() % static_cast<std::uint64_t>(bound)); }

  /// Any int, with the edges of the range and small numbers more often than by chance.
  int anyInt() {
    switch (below(4)) {
      case 0:
        return std::numeric_limits<int>::min() + below(2);
      case 1:
        return std::numeric_limits<int>::max() - below(2);
      case 2:
        return below(201) - 100;
      default:
        return static_cast<int>(static_cast<std::uint32_t>(engine_()));
    }
  }

  /// Text that XML 1.0 can carry: blanks, line ends, markup characters, multibyte UTF-8.
  std::string text() {
    static const std::vector<std::string> kPieces = {"a",
                                                     "Z",
                                                     "0",
                                                     " ",
                                                     "  ",
                                                     "\t",
                                                     "\r",
                                                     "\n",
                                                     "\r\n",
                                                     "<",
                                                     ">",
                                                     "&",
                                                     "\"",
                                                     "'",
                                                     "]]>",
                                                     "&amp;",
                                                     "=",
                                                     "\xC3\xA9",
                                                     "\xE2\x82\xAC",
                                                     "\xF0\x9F\x98\x80",
                                                     "\xED\x9F\xBF",
                                                     "\xEE\x80\x80",
                                                     "\xEF\xBF\xBD",
                                                     "\xF4\x8F\xBF\xBF",
                                                     "pump housing",
                                                     "*"};
    std::string result;
    const int pieces = below(4) == 0 ? 0 : below(below(8) == 0 ? 200 : 12);
    for (int i = 0; i < pieces; ++i)
      result += kPieces[below(static_cast<int>(kPieces.size()))];
    return result;
  }

  /// A date and time from 0001-01-01T00:00:00 to 9999-12-31T23:59:59, as the library writes it.
  std::string date() {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = 1 + below(9999);
    const int month = 1 + below(12);
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days = month == 2 && leap ? 29 : kDays[month - 1];
    return digits(year, 4) + '-' + digits(month, 2) + '-' + digits(1 + below(days), 2) + 'T' +
           digits(below(24), 2) + ':' + digits(below(60), 2) + ':' + digits(below(60), 2);
  }

  /// XML whitespace, which reading takes off around ints and dates.
  std::string blanks() {
    static const std::vector<std::string> kBlanks = {"", " ", "  ", "\t", "\n", "\r\n"};
    return kBlanks[below(static_cast<int>(kBlanks.size()))];
  }

  /// A list length: none, one or many.
  int count() {
    switch (below(3)) {
      case 0:
        return 0;
      case 1:
        return 1;
      default:
        return 2 + below(below(10) == 0 ? 60 : 6);
    }
  }

 private:
  static std::string digits(int number, std::size_t width) {
    const std::string text = std::to_string(number);
    return std::string(width - text.size(), '0') + text;
  }

  std::mt19937_64 engine_;
};

// Escaping by hand rather than by the library, so that what the document says does not depend on
// what is tested: char refs keep tab, CR and LF in attribute values and CR in text from the
// reader's normalisation.
void appendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += attribute ? "&quot;" : "\"";
        break;
      case '\t':
        out += attribute ? "&#9;" : "\t";
        break;
      case '\n':
        out += attribute ? "&#10;" : "\n";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += c;
    }
  }
}

// Writes a random document of a type from the type table, and notes in document order what the
// library must write for it: the value of each attribute and text entry, and the entry count of
// each list.
class DocumentMaker {
 public:
  explicit DocumentMaker(Random& random) : random_(random) {}

  std::string document(const TypeInfo& type) {
    element(type, table().rootName(type), type.namespaceUri, "", 0);
    return std::move(out_);
  }

  const std::vector<std::string>& expected() const { return expected_; }

 private:
  // Deeper than this, lists stay empty: a type may hold a list of itself.
  static constexpr int kMaxDepth = 8;

  // Appends a random value of the kind and notes the value it must be written with. An int or a
  // date is given in any form that reading takes, text now and then as a CDATA section.
  void value(FieldKind kind, bool attribute) {
    if (kind == FieldKind::String || kind == FieldKind::StringList) {
      expected_.push_back(random_.text());
      const std::string& text = expected_.back();
      if (!attribute && random_.below(4) == 0 && text.find("]]>") == std::string::npos &&
          text.find('\r') == std::string::npos) {
        out_ += "<![CDATA[" + text + "]]>";
      } else {
        appendEscaped(out_, text, attribute);
      }
      return;
    }
    std::string text;
    if (kind == FieldKind::Date) {
      text = random_.date();
      expected_.push_back(text);
    } else {
      const int number = random_.anyInt();
      text = std::to_string(number);
      expected_.push_back(text);
      if (random_.below(4) == 0 && number >= 0)
        text.insert(0, "+");
      if (random_.below(4) == 0)
        text.insert(number < 0 || text[0] == '+' ? 1 : 0, std::string(1 + random_.below(3), '0'));
    }
    if (random_.below(4) == 0)
      text = random_.blanks() + text + random_.blanks();
    appendEscaped(out_, text, attribute);
  }

  // An absent attribute reads as the default of its kind.
  void attribute(const FieldInfo& field) {
    if (random_.below(20) == 0) {
      expected_.push_back(field.kind == FieldKind::Int    ? "0"
                          : field.kind == FieldKind::Date ? "0001-01-01T00:00:00"
                                                          : "");
      return;
    }
    out_ += ' ';
    out_ += field.xmlName;
    out_ += "=\"";
    value(field.kind, true);
    out_ += '"';
  }

  void open(std::string_view name, std::string_view ns, std::string_view parentNs) {
    out_ += '<';
    out_ += name;
    if (ns != parentNs) {
      out_ += " xmlns=\"";
      appendEscaped(out_, ns, true);
      out_ += '"';
    }
  }

  void close(std::string_view name) {
    out_ += "</";
    out_ += name;
    out_ += '>';
  }

  // An element named name in namespace ns. Its own element fields are in the namespace of its
  // type; a reference is in the namespace of the element it refers to.
  void element(const TypeInfo& type, std::string_view name, std::string_view ns,
               std::string_view parentNs, int depth) {
    open(name, ns, parentNs);
    for (const FieldInfo& field : table().fields(type)) {
      if (field.attribute)
        attribute(field);
    }
    out_ += '>';
    for (const FieldInfo& field : table().fields(type)) {
      if (field.attribute)
        continue;
      const bool single = !field.list;
      const int count = single ? 1 : depth < kMaxDepth ? random_.count() : 0;
      if (!single)
        expected_.push_back(std::to_string(count));
      for (int i = 0; i < count; ++i) {
        if (field.entryType != kNoType) {
          const TypeInfo& entryType = table().type(field.entryType);
          element(entryType, field.xmlName,
                  field.kind == FieldKind::Ref ? entryType.namespaceUri : type.namespaceUri, ns,
                  depth + 1);
        } else {
          open(field.xmlName, type.namespaceUri, ns);
          out_ += '>';
          value(field.kind, false);
          close(field.xmlName);
        }
      }
    }
    close(name);
  }

  Random& random_;
  std::string out_;
  std::vector<std::string> expected_;
};

// Walks what the library wrote through the type table, in the order in which the document maker
// noted the values, and names the first that differs.
class WrittenChecker {
 public:
  explicit WrittenChecker(const std::vector<std::string>& expected) : expected_(expected) {}

  /// Empty when every value is as noted; else where and how the first one differs, as in
  /// "ExecuteSavedQueriesInput/input[2]/@maxNumToReturn: ...".
  std::string check(const TypeInfo& type, const XMLNode& root) {
    path_ = std::string(root.getLocalName());
    element(type, root);
    return difference_;
  }

 private:
  void expect(std::string_view written, std::string_view expected, std::string_view what) {
    if (difference_.empty() && written != expected) {
      difference_ = path_ + '/' + std::string(what) + ": expected \"" + std::string(expected) +
                    "\", written \"" + std::string(written) + '"';
    }
  }

  // Compares with the next noted value.
  void next(std::string_view written, std::string_view what) {
    expect(written, next_ < expected_.size() ? expected_[next_] : "(no more values)", what);
    ++next_;
  }

  void element(const TypeInfo& type, const XMLNode& node) {
    for (const FieldInfo& field : table().fields(type)) {
      if (field.attribute)
        next(node.getAttrView(field.xmlName), std::string("@") + field.xmlName);
    }
    XMLNode child = node.getFirstChild();
    for (const FieldInfo& field : table().fields(type)) {
      if (field.attribute)
        continue;
      const std::string name = field.xmlName;
      std::size_t count = 0;
      for (XMLNode n = child; n && n.getLocalName() == name; n = n.getNextSibling())
        ++count;
      if (field.list) {
        next(std::to_string(count), name + " (count)");
      } else {
        expect(std::to_string(count), "1", name + " (count)");
      }
      const std::string ns = field.kind == FieldKind::Ref
                                 ? table().type(field.entryType).namespaceUri
                                 : type.namespaceUri;
      for (std::size_t i = 0; i < count; ++i, child = child.getNextSibling()) {
        const std::string parent = path_;
        path_ += '/' + name + '[' + std::to_string(i) + ']';
        expect(child.getNamespaceUri(), ns, "namespace");
        if (field.entryType != kNoType) {
          element(table().type(field.entryType), child);
        } else {
          next(child.getText(), "text");
        }
        path_ = parent;
      }
    }
    if (child)
      expect(child.getLocalName(), "no further element", "end");
  }

  const std::vector<std::string>& expected_;
  std::size_t next_ = 0;
  std::string path_;
  std::string difference_;
};

// A document type of the table, printed as "VERSION:NAME" in test output.
struct DocumentType {
  const TypeInfo* type;

  friend void PrintTo(const DocumentType& document, std::ostream* out) {
    *out << document.type->version << ':' << document.type->name;
  }
};

class RoundTripPropertyTest : public testing::TestWithParam<DocumentType> {};

TEST_P(RoundTripPropertyTest, KeepsEveryValue) {
  const TypeInfo& type = *GetParam().type;
  const std::string rootName = table().rootName(type);
  const std::uint64_t first = fromEnvironment("PELAGON_PROPERTY_SEED", 20070630);
  const std::uint64_t cases = fromEnvironment("PELAGON_PROPERTY_CASES", 1000);
  for (std::uint64_t seed = first; seed < first + cases && !HasFailure(); ++seed) {
    SCOPED_TRACE("PELAGON_PROPERTY_SEED=" + std::to_string(seed));
    Random random(seed);
    DocumentMaker maker(random);
    const std::string document = maker.document(type);
    try {
      const std::string written =
          type.rewrite(XMLDocument::parse(document).getRootElement(), rootName);
      const XMLDocument again = XMLDocument::parse(written);
      EXPECT_EQ(type.rewrite(again.getRootElement(), rootName), written);
      EXPECT_EQ(WrittenChecker(maker.expected()).check(type, again.getRootElement()), "")
          << "in: " << document << "\nwritten: " << written;
      if (seed % 50 == 0) {
        const PelagonTest::LintResult lint =
            PelagonTest::xmllint(written, PelagonTest::schemaFile(type.schemaFile));
        EXPECT_TRUE(lint.ok) << lint.output << "\nin: " << written;
      }
    } catch (const DomException& error) {
      ADD_FAILURE() << error.getMessage() << "\nin: " << document;
    } catch (const InvalidXmlText& error) {
      ADD_FAILURE() << error.what() << "\nin: " << document;
    }
  }
}

std::vector<DocumentType> documentTypes() {
  std::vector<DocumentType> types;
  for (const TypeInfo& type : table().types()) {
    if (type.document)
      types.push_back({&type});
  }
  return types;
}

// "saved queries 2006-03" and "ExecuteSavedQueryInput" give
// "saved_queries_2006_03_ExecuteSavedQueryInput".
std::string testName(const testing::TestParamInfo<DocumentType>& info) {
  std::string name = std::string(info.param.type->version) + "_" + info.param.type->name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)))
      c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(DocumentTypes, RoundTripPropertyTest, testing::ValuesIn(documentTypes()),
                         testName);

}  // namespace
