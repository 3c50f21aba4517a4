// Our validator against libxml2's XML Schema validator on well-formed documents made from the
// sample message of every document type: each input is a script of edits (drop, double or move
// an element, rename it or put it in another namespace, set or remove an attribute, put text or
// an element anywhere), applied to a sample with libxml2's tree and written out as text, so that
// every input is a well-formed document near a valid one. Findings: the two validators disagree
// beyond the departures of libxml2 that SchemaOracle.hxx lists; validation throws anything but a
// DomException; or the library cannot read and write again a document that it judged valid.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

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
using Corvanthel::Soa::Common::Xml::XMLNode;
using Pelagon::Tool::TypeInfo;
using Pelagon::Tool::typeTable;

PelagonTest::SchemaOracle& oracle() {
  static PelagonTest::SchemaOracle schemas(PELAGON_SCHEMA_DIR);
  return schemas;
}

// What the edits choose from: the samples, every name and namespace of the schemas and a few
// others, and values at the edges of the types.
struct Material {
  std::vector<std::string> samples;
  std::vector<std::string> names;
  std::vector<std::string> namespaces;
  std::vector<std::string> values = {"0",
                                     "2147483647",
                                     "2147483648",
                                     "-2147483648",
                                     "-2147483649",
                                     "+7",
                                     "007",
                                     " 7 ",
                                     "7x",
                                     "",
                                     "0001-01-01T00:00:00",
                                     "9999-12-31T23:59:59",
                                     "0000-01-01T00:00:00",
                                     "2000-02-29T00:00:00",
                                     "1900-02-29T00:00:00",
                                     "2001-04-31T00:00:00",
                                     "2001-01-01T24:00:00",
                                     "2001-01-01T00:00:00Z",
                                     "2001-01-01T00:00:00.5",
                                     " 2001-01-01T00:00:00\n",
                                     "\t",
                                     "a < b",
                                     "\xC2\xA0"};
};

const Material& material() {
  static const Material made = [] {
    Material m;
    for (const TypeInfo& type : typeTable().types()) {
      m.namespaces.push_back(type.namespaceUri);
      m.names.push_back(type.name);
      for (const auto& field : typeTable().fields(type))
        m.names.push_back(field.xmlName);
      if (type.validateDocument == nullptr)
        continue;
      m.samples.push_back(Pelagon::Tool::sampleMessage(typeTable(), type));
    }
    m.names.push_back("other");
    m.namespaces.push_back("urn:other");
    m.namespaces.push_back("http://www.w3.org/2001/XMLSchema-instance");
    return m;
  }();
  return made;
}

const xmlChar* x(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

// Reads the script: each call takes what it needs from the input, and zeros once it is used up.
class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool done() const { return at_ >= size_; }
  std::size_t next(std::size_t bound) {
    const std::size_t value = at_ < size_ ? data_[at_] : 0;
    ++at_;
    return bound == 0 ? 0 : value % bound;
  }
  const std::string& pick(const std::vector<std::string>& from) { return from[next(from.size())]; }
  // Raw text from the input, made XML characters: control characters and bytes beyond ASCII
  // become letters, so that libxml2 writes what it was given.
  std::string text() {
    std::string out;
    for (std::size_t length = next(8); length > 0 && !done(); --length) {
      const char c = static_cast<char>(next(256));
      out += (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' ? c : 'q';
    }
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// One edit of the script, on a document of libxml2; false once the document is too large for
// more (doubling an element again and again would make it grow without bound).
bool edit(Script& script, xmlDocPtr document) {
  const Material& m = material();
  const std::vector<xmlNodePtr> elements = PelagonTest::elementsOf(xmlDocGetRootElement(document));
  if (elements.size() > 2000)
    return false;
  xmlNodePtr node = elements[script.next(elements.size())];
  const bool root = node == xmlDocGetRootElement(document);
  switch (script.next(10)) {
    case 0:
      if (!root) {
        xmlUnlinkNode(node);
        xmlFreeNode(node);
      }
      break;
    case 1:
      if (!root)
        xmlAddNextSibling(node, xmlCopyNode(node, 1));
      break;
    case 2:
      if (!root && node->prev != nullptr) {
        xmlNodePtr previous = node->prev;
        xmlUnlinkNode(node);
        xmlAddPrevSibling(previous, node);
      }
      break;
    case 3:
      xmlNodeSetName(node, x(script.pick(m.names)));
      break;
    case 4: {
      const std::string& uri = script.pick(m.namespaces);
      xmlSetNs(node, xmlNewNs(node, x(uri), x("n" + std::to_string(script.next(4)))));
      break;
    }
    case 5: {
      const std::string name = script.pick(m.names);
      const std::string value = script.next(2) ? script.pick(m.values) : script.text();
      if (script.next(4) == 0)
        xmlSetNsProp(node, xmlNewNs(node, x(script.pick(m.namespaces)), x("a")), x(name), x(value));
      else
        xmlSetProp(node, x(name), x(value));
      break;
    }
    case 6:
      if (node->properties != nullptr)
        xmlRemoveProp(node->properties);
      break;
    case 7: {
      const std::string value = script.next(2) ? script.pick(m.values) : script.text();
      xmlNodePtr text = script.next(4) == 0
                            ? xmlNewCDataBlock(document, x(value), static_cast<int>(value.size()))
                            : xmlNewDocText(document, x(value));
      if (node->children != nullptr && script.next(2))
        xmlAddPrevSibling(node->children, text);
      else
        xmlAddChild(node, text);
      break;
    }
    case 8:
      xmlNodeSetContent(node, nullptr);
      xmlAddChild(node, xmlNewDocText(document, x(script.pick(m.values))));
      break;
    default:
      xmlNewChild(node, node->ns, x(script.pick(m.names)), nullptr);
      break;
  }
  return true;
}

[[noreturn]] void finding(const char* what, const std::string& detail, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n%s\n", what, detail.c_str(), text.c_str());
  std::abort();
}

// The document the script makes: a sample, edited.
std::string documentOf(const std::uint8_t* data, std::size_t size) {
  Script script(data, size);
  const std::string& sample = script.pick(material().samples);
  xmlDocPtr document = xmlReadMemory(sample.data(), static_cast<int>(sample.size()), "sample.xml",
                                     nullptr, XML_PARSE_NONET);
  for (int edits = 0; !script.done() && edits < 16 && edit(script, document); ++edits) {
  }
  std::string out = PelagonTest::serialized(document);
  xmlFreeDoc(document);
  return out;
}

// The schema file a document is judged against: its root's document type's, or that of any type
// in the root's namespace (the root is then no global element of it); null for a namespace that
// no schema has.
const char* schemaOf(const XMLNode& root, const TypeInfo* type) {
  if (type != nullptr)
    return type->schemaFile;
  for (const TypeInfo& candidate : typeTable().types()) {
    if (root.getNamespaceUri() == candidate.namespaceUri)
      return candidate.schemaFile;
  }
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  xmlInitParser();
  std::fprintf(stderr, "validation_fuzz: edits of the samples of %zu document types\n",
               material().samples.size());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = documentOf(data, size);
  std::optional<XMLDocument> document;
  try {
    document.emplace(XMLDocument::parse(text));
  } catch (const DomException& error) {
    finding("our reader refuses what libxml2 wrote", error.getMessage(), text);
  }
  const XMLNode root = document->getRootElement();
  const TypeInfo* type = typeTable().findDocument(root.getNamespaceUri(), root.getLocalName());
  const char* schemaFile = schemaOf(root, type);
  if (schemaFile == nullptr)
    return 0;
  bool ours = false;
  std::string ourMessage = "no document type has the root element";
  if (type != nullptr) {
    try {
      type->validateDocument(*document);
      ours = true;
    } catch (const DomException& error) {
      ourMessage = error.getMessage();
    }
  }
  const PelagonTest::SchemaVerdict theirs = oracle().judge(text, schemaFile);
  if (!theirs.wellFormed)
    finding("libxml2 refuses what it wrote", "", text);
  if (ours != theirs.valid &&
      !(ours && !PelagonTest::libxml2Departure(oracle(), theirs, text, schemaFile).empty())) {
    finding("the validators disagree",
            ours ? "ours: valid; libxml2: " + theirs.errors.front()
                 : "ours: " + ourMessage + "; libxml2: valid",
            text);
  }
  if (ours) {
    try {
      type->rewrite(root, std::string(root.getLocalName()));
    } catch (const DomException& error) {
      finding("a valid document cannot be read", error.getMessage(), text);
    } catch (const std::exception& error) {
      finding("a valid document cannot be written again", error.what(), text);
    }
  }
  return 0;
}
