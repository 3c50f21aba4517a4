#include "Libxml2Oracle.hxx"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <tuple>
#include <utility>

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <varnicore/Exceptions.hxx>

namespace PelagonTest {

namespace {

using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XMLNode;

// The tree as both readers describe it, before it is written out.
struct Attribute {
  std::string uri;
  std::string localName;
  std::string value;
};

struct Element {
  std::size_t depth = 0;
  std::string uri;
  std::string localName;
  std::vector<std::pair<std::string, std::string>> namespaces;  // prefix ("" for the default), URI
  std::vector<Attribute> attributes;
  std::string text;
};

void appendEscaped(std::string& out, std::string_view bytes, bool braces = false) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '{':
      case '}':
        out += braces ? (c == '{' ? "\\x7B" : "\\x7D") : std::string(1, c);
        break;
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20 || byte >= 0x7F) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02X", byte);
          out += hex;
        } else {
          out += c;
        }
        break;
    }
  }
}

std::string quoted(std::string_view bytes) {
  std::string out = "\"";
  appendEscaped(out, bytes);
  return out + "\"";
}

// {URI}local, with the braces inside escaped: the first '}' ends the URI.
std::string expandedName(std::string_view uri, std::string_view localName) {
  std::string out = "{";
  appendEscaped(out, uri, true);
  out += '}';
  appendEscaped(out, localName, true);
  return out;
}

std::string render(std::vector<Element>& elements) {
  std::string out;
  for (Element& element : elements) {
    std::sort(element.namespaces.begin(), element.namespaces.end());
    std::sort(element.attributes.begin(), element.attributes.end(),
              [](const Attribute& a, const Attribute& b) {
                return std::tie(a.uri, a.localName) < std::tie(b.uri, b.localName);
              });
    // The depth as a number: indentation would grow with the square of a deep document.
    out +=
        std::to_string(element.depth) + " " + expandedName(element.uri, element.localName) + "\n";
    for (const auto& [prefix, uri] : element.namespaces)
      out += "  xmlns" + (prefix.empty() ? "" : ":" + prefix) + "=" + quoted(uri) + "\n";
    for (const Attribute& attribute : element.attributes) {
      out += "  @" + expandedName(attribute.uri, attribute.localName) + "=" +
             quoted(attribute.value) + "\n";
    }
    if (!element.text.empty())
      out += "  text " + quoted(element.text) + "\n";
  }
  return out;
}

// libxml2 keeps no node for a declaration of the prefix xml, which may only repeat the binding
// that holds anyway; neither dump shows one.
bool declaresXmlPrefix(std::string_view prefix) {
  return prefix == "xml";
}

void collect(void* data, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR)
    return;
  std::string message = error->message != nullptr ? error->message : "";
  while (!message.empty() && message.back() == '\n')
    message.pop_back();
  static_cast<Libxml2Verdict*>(data)->errors.push_back(
      {error->domain, error->code, error->line, error->int2, std::move(message)});
}

// The structured handler takes every report, those raised without a parser context (encoding
// conversion) as well, and prints nothing; the previous one is back when the parse is done.
class CollectErrors {
 public:
  explicit CollectErrors(Libxml2Verdict& verdict)
      : previous_(xmlStructuredError), previousContext_(xmlStructuredErrorContext) {
    xmlSetStructuredErrorFunc(&verdict, collect);
  }
  ~CollectErrors() { xmlSetStructuredErrorFunc(previousContext_, previous_); }
  CollectErrors(const CollectErrors&) = delete;
  CollectErrors& operator=(const CollectErrors&) = delete;

 private:
  xmlStructuredErrorFunc previous_;
  void* previousContext_;
};

std::string toString(const xmlChar* text) {
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

std::string Libxml2Verdict::describe() const {
  if (errors.empty())
    return accepted ? "accepted" : "rejected without a message";
  const Libxml2Error& first = errors.front();
  return "line " + std::to_string(first.line) + ", column " + std::to_string(first.column) + ": " +
         first.message + " (domain " + std::to_string(first.domain) + ", code " +
         std::to_string(first.code) + ")";
}

Libxml2Verdict readWithLibxml2(std::string_view bytes) {
  static const bool initialised = (xmlInitParser(), true);
  (void)initialised;
  Libxml2Verdict verdict;
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    verdict.errors.push_back({0, 0, 0, 0, "too large for libxml2's memory parser"});
    return verdict;
  }
  // Entities are not substituted, nothing is fetched, and XML_PARSE_HUGE lifts the limits on
  // nesting depth and on the length of names and text.
  const int options = XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  CollectErrors collecting(verdict);
  xmlParserCtxtPtr context = xmlNewParserCtxt();
  if (context == nullptr) {
    verdict.errors.push_back({0, 0, 0, 0, "no parser context"});
    return verdict;
  }
  xmlDocPtr document = xmlCtxtReadMemory(context, bytes.empty() ? "" : bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, nullptr, options);
  verdict.hasDoctype =
      context->intSubName != nullptr || (document != nullptr && document->intSubset != nullptr);
  verdict.accepted = document != nullptr && context->wellFormed != 0 &&
                     context->nsWellFormed != 0 && verdict.errors.empty();
  if (context->input != nullptr && context->input->buf != nullptr &&
      context->input->buf->encoder != nullptr) {
    verdict.decoder = context->input->buf->encoder->name;
  }
  xmlFreeParserCtxt(context);
  if (document != nullptr)
    verdict.dump = canonicalDump(document);
  xmlFreeDoc(document);
  return verdict;
}

OurVerdict readWithOurReader(const std::string& bytes) {
  OurVerdict verdict;
  try {
    const XMLDocument document = XMLDocument::parse(bytes);
    verdict.accepted = true;
    verdict.dump = canonicalDump(document);
  } catch (const DomException& error) {
    verdict.message = error.getMessage();
    verdict.hasDoctype = error.getCause() == "DOCTYPE is not allowed";
  }
  return verdict;
}

std::string canonicalDump(const XMLDocument& document) {
  std::vector<Element> elements;
  std::vector<std::pair<XMLNode, std::size_t>> pending;
  if (document.getRootElement())
    pending.emplace_back(document.getRootElement(), 0);
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    Element& element = elements.emplace_back();
    element.depth = depth;
    element.uri = node.getNamespaceUri();
    element.localName = node.getLocalName();
    element.text = node.getText();
    for (const std::string& name : node.getAttrNames()) {
      const std::size_t colon = name.find(':');
      const std::string prefix = colon == std::string::npos ? "" : name.substr(0, colon);
      const std::string localName = colon == std::string::npos ? name : name.substr(colon + 1);
      if (name == "xmlns") {
        element.namespaces.emplace_back("", node.getAttr(name));
      } else if (prefix == "xmlns") {
        if (!declaresXmlPrefix(localName))
          element.namespaces.emplace_back(localName, node.getAttr(name));
      } else {
        element.attributes.push_back(
            {prefix.empty() ? "" : node.lookupNamespaceUri(prefix), localName, node.getAttr(name)});
      }
    }
    // The sibling waits until the child's whole subtree is out.
    if (node.getNextSibling())
      pending.emplace_back(node.getNextSibling(), depth);
    if (node.getFirstChild())
      pending.emplace_back(node.getFirstChild(), depth + 1);
  }
  return render(elements);
}

std::string canonicalDump(const _xmlDoc* document) {
  std::vector<Element> elements;
  const xmlNode* node = document != nullptr ? xmlDocGetRootElement(document) : nullptr;
  std::size_t depth = 0;
  while (node != nullptr) {
    Element& element = elements.emplace_back();
    element.depth = depth;
    element.uri = node->ns != nullptr ? toString(node->ns->href) : "";
    element.localName = toString(node->name);
    for (const xmlNs* ns = node->nsDef; ns != nullptr; ns = ns->next) {
      const std::string prefix = toString(ns->prefix);
      if (!declaresXmlPrefix(prefix))
        element.namespaces.emplace_back(prefix, toString(ns->href));
    }
    for (const xmlAttr* attribute = node->properties; attribute != nullptr;
         attribute = attribute->next) {
      std::string value;
      for (const xmlNode* part = attribute->children; part != nullptr; part = part->next) {
        // Without entity substitution a reference would stay a node of its own; shown as
        // written, it cannot pass for the text it stands for.
        value += part->type == XML_ENTITY_REF_NODE ? "&" + toString(part->name) + ";"
                                                   : toString(part->content);
      }
      element.attributes.push_back({attribute->ns != nullptr ? toString(attribute->ns->href) : "",
                                    toString(attribute->name), std::move(value)});
    }
    const xmlNode* firstChild = nullptr;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
      if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE)
        element.text += toString(child->content);
      else if (child->type == XML_ENTITY_REF_NODE)
        element.text += "&" + toString(child->name) + ";";
      else if (child->type == XML_ELEMENT_NODE && firstChild == nullptr)
        firstChild = child;
    }
    // Depth first, without recursion: the first child element, else the next element sibling of
    // this node or of the nearest ancestor that has one.
    if (firstChild != nullptr) {
      node = firstChild;
      ++depth;
      continue;
    }
    for (;;) {
      const xmlNode* sibling = node->next;
      while (sibling != nullptr && sibling->type != XML_ELEMENT_NODE)
        sibling = sibling->next;
      if (sibling != nullptr) {
        node = sibling;
        break;
      }
      if (depth == 0) {
        node = nullptr;
        break;
      }
      node = node->parent;
      --depth;
    }
  }
  return render(elements);
}

std::string cStringLiteral(std::string_view bytes) {
  std::string out = "\"";
  bool afterHex = false;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    // A hex escape runs on while hex digits follow; a break in the literal ends it.
    if (afterHex && std::isxdigit(byte))
      out += "\" \"";
    afterHex = false;
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte >= 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
      afterHex = true;
    } else if (c == '?' && !out.empty() && out.back() == '?') {
      out += "\\?";  // no trigraphs
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace PelagonTest
