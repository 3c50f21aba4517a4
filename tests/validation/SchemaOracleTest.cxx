// Our validator and libxml2's XML Schema validator must give the same verdict on every bundled
// example message, on the sample message of every document type, and on a family of mutations of
// each: a child dropped, doubled, moved after a later field, renamed or put in another namespace;
// an attribute added, removed, prefixed or given a value at and beyond the edges of its type;
// text put into element-only or empty content; an element put into a text entry. Where libxml2
// departs from XML Schema 1.0, the departure is recognised narrowly (SchemaOracle.hxx).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>

#include "SampleWriter.hxx"
#include "SchemaOracle.hxx"
#include "TypeTable.hxx"

namespace {

using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Pelagon::Tool::TypeInfo;
using Pelagon::Tool::typeTable;
using PelagonTest::SchemaOracle;
using PelagonTest::SchemaVerdict;

const char* const kValues[] = {
    // around the edges of xs:int
    "0", "2147483647", "2147483648", "-2147483648", "-2147483649", "+7", "007", "-0", " 7", "7 ",
    "\t42\n", "7x", "", "1.0", "1e3", "\xD9\xA3", "0000000000000000000000000000042",
    // of xs:dateTime and the schemas' DateTime
    "0001-01-01T00:00:00", "9999-12-31T23:59:59", "0000-01-01T00:00:00", "10000-01-01T00:00:00",
    "2000-02-29T00:00:00", "1900-02-29T00:00:00", "2004-02-29T12:00:00", "2001-04-31T00:00:00",
    "2001-13-01T00:00:00", "2001-01-01T24:00:00", "2001-01-01T23:60:00", "2001-01-01T00:00:60",
    "2001-01-01T00:00:00Z", "2001-01-01T00:00:00.5", "2001-01-01T00:00:00+02:00",
    " 2001-01-01T00:00:00 ", "-2001-01-01T00:00:00", "2001-1-01T00:00:00", "2001-01-01 00:00:00",
    // of text
    "a < b & c", " ", "\xC2\xA0"};

// A document under test and where it came from.
struct Case {
  std::string name;
  std::string text;
  const TypeInfo* type;  // the type of the document it was made from
  std::string what;      // the mutation, "" for none
};

bool hasElementChild(xmlNodePtr node) {
  for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE)
      return true;
  }
  return false;
}

const xmlChar* x(const char* text) {
  return reinterpret_cast<const xmlChar*>(text);
}

// Makes the mutations of one document: each is a change to a copy of its tree.
class Mutations {
 public:
  using Change = std::function<void(xmlDocPtr, xmlNodePtr)>;

  Mutations(const Case& base, std::vector<Case>& out) : base_(base), out_(out) {
    document_ = xmlReadMemory(base.text.data(), static_cast<int>(base.text.size()), "base.xml",
                              nullptr, XML_PARSE_NONET);
    if (document_ != nullptr)
      elements_ = PelagonTest::elementsOf(xmlDocGetRootElement(document_));
  }
  ~Mutations() { xmlFreeDoc(document_); }

  void all() {
    for (std::size_t i = 0; i < elements_.size(); ++i) {
      elementMutations(i);
      attributeMutations(i);
      if (!hasElementChild(elements_[i]))
        textMutations(i);
    }
  }

 private:
  void add(const std::string& what, std::size_t element, const Change& change) {
    xmlDocPtr copy = xmlCopyDoc(document_, 1);
    change(copy, PelagonTest::elementsOf(xmlDocGetRootElement(copy))[element]);
    out_.push_back({base_.name + ": " + what + " of element " + std::to_string(element),
                    PelagonTest::serialized(copy), base_.type, what});
    xmlFreeDoc(copy);
  }

  void elementMutations(std::size_t i) {
    if (i != 0) {
      add("drop", i, [](xmlDocPtr, xmlNodePtr node) {
        xmlUnlinkNode(node);
        xmlFreeNode(node);
      });
      add("double", i,
          [](xmlDocPtr, xmlNodePtr node) { xmlAddNextSibling(node, xmlCopyNode(node, 1)); });
      add("move to the end", i, [](xmlDocPtr, xmlNodePtr node) {
        xmlNodePtr parent = node->parent;
        xmlUnlinkNode(node);
        xmlAddChild(parent, node);
      });
    }
    add("rename", i, [](xmlDocPtr, xmlNodePtr node) {
      const std::string name = reinterpret_cast<const char*>(node->name) + std::string("s");
      xmlNodeSetName(node, x(name.c_str()));
    });
    add("other namespace", i, [](xmlDocPtr, xmlNodePtr node) {
      xmlSetNs(node, xmlNewNs(node, x("urn:other"), x("other")));
    });
    add("base namespace", i, [](xmlDocPtr, xmlNodePtr node) {
      xmlSetNs(node, xmlNewNs(node, x("http://schemas.corvanthel.example/Schemas/Soa/2006-03/Base"),
                              x("base")));
    });
    add("add attribute", i,
        [](xmlDocPtr, xmlNodePtr node) { xmlSetProp(node, x("extra"), x("1")); });
    add("add xml:lang", i, [](xmlDocPtr, xmlNodePtr node) { xmlNodeSetLang(node, x("en")); });
    add("add schema hint", i, [](xmlDocPtr, xmlNodePtr node) {
      xmlNsPtr xsi = xmlNewNs(node, x("http://www.w3.org/2001/XMLSchema-instance"), x("xsi"));
      xmlSetNsProp(node, xsi, x("schemaLocation"), x("urn:a a.xsd"));
      xmlSetNsProp(node, xsi, x("noNamespaceSchemaLocation"), x("b.xsd"));
    });
    add("add declaration", i,
        [](xmlDocPtr, xmlNodePtr node) { xmlNewNs(node, x("urn:declared"), x("declared")); });
    add("add comment", i, [](xmlDocPtr document, xmlNodePtr node) {
      xmlAddChild(node, xmlNewDocComment(document, x(" a comment ")));
      xmlAddChild(node, xmlNewDocPI(document, x("target"), x("data")));
    });
    if (hasElementChild(elements_[i]) || elements_[i]->children == nullptr) {
      for (const char* text : {"x", " \n\t", "&#32;", "<![CDATA[ ]]>"}) {
        add(std::string("put text ") + text, i, [text](xmlDocPtr document, xmlNodePtr node) {
          xmlNodePtr added = text[0] == '&'   ? xmlNewCharRef(document, x(text))
                             : text[0] == '<' ? xmlNewCDataBlock(document, x(" "), 1)
                                              : xmlNewDocText(document, x(text));
          if (node->children != nullptr)
            xmlAddPrevSibling(node->children, added);
          else
            xmlAddChild(node, added);
        });
      }
    }
  }

  void attributeMutations(std::size_t i) {
    std::vector<std::string> names;
    for (xmlAttrPtr attribute = elements_[i]->properties; attribute; attribute = attribute->next)
      names.push_back(reinterpret_cast<const char*>(attribute->name));
    for (const std::string& name : names) {
      add("remove " + name, i,
          [name](xmlDocPtr, xmlNodePtr node) { xmlUnsetProp(node, x(name.c_str())); });
      add("prefix " + name, i, [name](xmlDocPtr, xmlNodePtr node) {
        xmlChar* value = xmlGetProp(node, x(name.c_str()));
        xmlUnsetProp(node, x(name.c_str()));
        xmlSetNsProp(node, xmlNewNs(node, x("urn:prefixed"), x("p")), x(name.c_str()), value);
        xmlFree(value);
      });
      for (const char* value : kValues) {
        add("set " + name, i, [name, value](xmlDocPtr, xmlNodePtr node) {
          xmlSetProp(node, x(name.c_str()), x(value));
        });
      }
    }
  }

  void textMutations(std::size_t i) {
    for (const char* value : kValues) {
      add("text", i, [value](xmlDocPtr document, xmlNodePtr node) {
        xmlNodeSetContent(node, nullptr);
        xmlAddChild(node, xmlNewDocText(document, x(value)));
      });
    }
    add("element in text", i,
        [](xmlDocPtr, xmlNodePtr node) { xmlNewChild(node, node->ns, x("inner"), nullptr); });
  }

  const Case& base_;
  std::vector<Case>& out_;
  xmlDocPtr document_ = nullptr;
  std::vector<xmlNodePtr> elements_;
};

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The bundled examples and the sample of every document type, each with its type.
std::vector<Case> baseDocuments() {
  std::vector<Case> out;
  for (const TypeInfo& type : typeTable().types()) {
    if (type.validateDocument == nullptr)
      continue;
    out.push_back({std::string("sample of ") + type.version + ":" + type.name,
                   Pelagon::Tool::sampleMessage(typeTable(), type), &type, ""});
  }
  std::vector<std::filesystem::path> examples;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(PELAGON_EXAMPLE_MESSAGES)) {
    if (entry.path().extension() == ".xml")
      examples.push_back(entry.path());
  }
  std::sort(examples.begin(), examples.end());
  for (const auto& path : examples) {
    std::string text = readFile(path);
    const XMLDocument document = XMLDocument::parse(text);
    const auto root = document.getRootElement();
    const TypeInfo* type = typeTable().findDocument(root.getNamespaceUri(), root.getLocalName());
    if (type != nullptr)  // the reduced build has fewer types than there are examples
      out.push_back({path.filename().string(), std::move(text), type, ""});
  }
  return out;
}

struct OurVerdict {
  bool wellFormed = false;
  bool valid = false;
  const TypeInfo* type = nullptr;  // the document type of the root, when there is one
  std::string message;
};

OurVerdict ourVerdict(const std::string& text) {
  OurVerdict verdict;
  try {
    const XMLDocument document = XMLDocument::parse(text);
    verdict.wellFormed = true;
    const auto root = document.getRootElement();
    verdict.type = typeTable().findDocument(root.getNamespaceUri(), root.getLocalName());
    if (verdict.type == nullptr) {
      verdict.message = "no document type has the root element";
      return verdict;
    }
    verdict.type->validateDocument(document);
    verdict.valid = true;
  } catch (const DomException& error) {
    verdict.message = error.getMessage();
  }
  return verdict;
}

TEST(SchemaOracle, SameVerdictAsLibxml2OnExamplesSamplesAndTheirMutations) {
  SchemaOracle oracle(PELAGON_SCHEMA_DIR);
  std::vector<Case> cases = baseDocuments();
  const std::size_t bases = cases.size();
  for (std::size_t i = 0; i < bases; ++i) {
    const Case base = cases[i];
    Mutations(base, cases).all();
  }
  std::size_t valid = 0, departures = 0, failures = 0;
  std::set<std::string> reported;
  for (const Case& document : cases) {
    const OurVerdict ours = ourVerdict(document.text);
    // A root that no document type has is judged against the schema of the original.
    const TypeInfo& type = ours.type != nullptr ? *ours.type : *document.type;
    const SchemaVerdict theirs = oracle.judge(document.text, type.schemaFile);
    ASSERT_TRUE(ours.wellFormed && theirs.wellFormed) << document.name << "\n" << document.text;
    if (ours.valid == theirs.valid) {
      valid += ours.valid ? 1 : 0;
      continue;
    }
    if (ours.valid &&
        !PelagonTest::libxml2Departure(oracle, theirs, document.text, type.schemaFile).empty()) {
      ++departures;
      ++valid;
      continue;
    }
    // One report per kind of disagreement, with the first document of the kind.
    ++failures;
    const std::string kind = document.what + ": ours " + (ours.valid ? "valid" : "invalid") +
                             ", libxml2 " + (theirs.valid ? "valid" : "invalid");
    if (reported.insert(kind).second) {
      ADD_FAILURE() << document.name << ": ours " << (ours.valid ? "valid" : ours.message)
                    << "; libxml2 " << (theirs.valid ? "valid" : theirs.errors.front()) << "\n"
                    << document.text;
    }
  }
  EXPECT_EQ(failures, 0u);
  std::cout << "judged " << cases.size() << " documents (" << bases << " examples and samples, "
            << cases.size() - bases << " mutations): " << valid << " valid, "
            << cases.size() - valid << " not; " << departures
            << " of the valid ones refused by libxml2 for a listed departure\n";
}

}  // namespace
