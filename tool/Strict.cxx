// Comparing a document with its re-written form.
#include "Strict.hxx"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include <varnicore/Exceptions.hxx>

namespace Pelagon {
namespace Tool {

namespace {

bool isNamespaceDeclaration(const std::string& name) {
  return name == "xmlns" || name.compare(0, 6, "xmlns:") == 0;
}

// xsi:schemaLocation and xsi:noNamespaceSchemaLocation tell a validator where to find schemas;
// they are no data, so reading has nothing to keep of them.
bool isValidatorHint(const XMLNode& node, const std::string& name) {
  const std::size_t colon = name.find(':');
  if (colon == std::string::npos)
    return false;
  const std::string_view local = std::string_view(name).substr(colon + 1);
  return (local == "schemaLocation" || local == "noNamespaceSchemaLocation") &&
         node.lookupNamespaceUri(std::string_view(name).substr(0, colon)) ==
             "http://www.w3.org/2001/XMLSchema-instance";
}

bool isBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// A value as shown in a message: quoted, control characters escaped, long values shortened.
std::string quoted(const std::string& text) {
  constexpr std::size_t kShown = 40;
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + (text.size() > kShown ? "\"..." : "\"");
}

std::string namespaceText(const std::string& uri) {
  return uri.empty() ? "no namespace" : "namespace \"" + uri + "\"";
}

std::string elementText(const XMLNode& node) {
  return "element \"" + std::string(node.getLocalName()) + "\"";
}

class Comparison {
 public:
  explicit Comparison(const TypeTable& table) : table_(table) {}

  void element(const TypeInfo& type, const XMLNode& in, const XMLNode& out) {
    sameNamespace(in, out);
    attributes(in, out, std::string("no field of ") + type.name + " names it");
    const std::string text = in.getText();
    if (!isBlank(text))
      add(in, "text " + quoted(trimmed(text)) + " is dropped: " + type.name + " holds no text");
    if (table_.fields(type).empty()) {
      for (const XMLNode& child : in.getChildren())
        add(child, elementText(child) + " is ignored: " + type.name + " has no fields");
      return;
    }
    children(type, in, out);
  }

  std::vector<Problem> findings() {
    std::stable_sort(findings_.begin(), findings_.end(), [](const Problem& a, const Problem& b) {
      return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return findings_;
  }

 private:
  void add(const XMLNode& where, std::string message) {
    findings_.push_back(problemAt(where, std::move(message)));
  }

  void sameNamespace(const XMLNode& in, const XMLNode& out) {
    const std::string inUri = in.getNamespaceUri();
    const std::string outUri = out.getNamespaceUri();
    if (inUri != outUri) {
      add(in, elementText(in) + " is in " + namespaceText(inUri) + "; it is written in " +
                  namespaceText(outUri));
    }
  }

  // Attributes of in that out lacks are dropped, for the reason given.
  void attributes(const XMLNode& in, const XMLNode& out, const std::string& dropped) {
    for (const std::string& name : in.getAttrNames()) {
      if (!isNamespaceDeclaration(name) && !isValidatorHint(in, name) && !out.hasAttr(name))
        add(in, "attribute " + name + "=" + quoted(in.getAttr(name)) + " is dropped: " + dropped);
    }
    for (const std::string& name : out.getAttrNames()) {
      if (isNamespaceDeclaration(name))
        continue;
      const std::string written = out.getAttr(name);
      if (!in.hasAttr(name)) {
        add(in,
            "attribute " + name + " is missing; it is written as " + name + "=" + quoted(written));
      } else if (in.getAttr(name) != written) {
        add(in, "attribute " + name + "=" + quoted(in.getAttr(name)) + " is written as " + name +
                    "=" + quoted(written));
      }
    }
  }

  void textEntry(const XMLNode& in, const XMLNode& out) {
    sameNamespace(in, out);
    const std::string holder = "\"" + std::string(in.getLocalName()) + "\"";
    attributes(in, out, holder + " holds text only");
    for (const XMLNode& child : in.getChildren())
      add(child, elementText(child) + " is ignored: " + holder + " holds text only");
    const std::string inText = in.getText();
    const std::string outText = out.getText();
    if (inText != outText)
      add(in, "text " + quoted(inText) + " of " + holder + " is written as " + quoted(outText));
  }

  // Pairs the k-th child of in with a local name with the k-th child of out with that name, as
  // reading fills the fields.
  void children(const TypeInfo& type, const XMLNode& in, const XMLNode& out) {
    std::vector<XMLNode> written(out.getChildren().begin(), out.getChildren().end());
    std::map<std::string_view, std::vector<std::size_t>> writtenByName;
    for (std::size_t i = 0; i < written.size(); ++i)
      writtenByName[written[i].getLocalName()].push_back(i);
    std::vector<bool> paired(written.size(), false);
    std::map<std::string_view, std::size_t> seen;
    std::vector<std::pair<XMLNode, std::size_t>> pairs;
    for (const XMLNode& child : in.getChildren()) {
      const std::size_t occurrence = seen[child.getLocalName()]++;
      const std::vector<std::size_t>& candidates = writtenByName[child.getLocalName()];
      if (occurrence >= candidates.size()) {
        add(child, elementText(child) + " occurs more than once; reading merges it into one");
        continue;
      }
      const std::size_t match = candidates[occurrence];
      paired[match] = true;
      pairs.emplace_back(child, match);
    }
    for (std::size_t i = 0; i < written.size(); ++i) {
      if (!paired[i]) {
        add(in, elementText(written[i]) + " is missing in " + elementText(in) +
                    "; it is written with default values");
      }
    }
    std::size_t latest = 0;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      if (i > 0 && pairs[i].second < pairs[latest].second) {
        add(pairs[i].first,
            elementText(pairs[i].first) + " is written before " + elementText(pairs[latest].first));
        break;
      }
      latest = pairs[i].second > pairs[latest].second ? i : latest;
    }
    for (const auto& [child, index] : pairs) {
      const FieldInfo* field = table_.findElementField(type, child.getLocalName());
      if (field == nullptr)
        continue;
      if (field->entryType != kNoType) {
        element(table_.type(field->entryType), child, written[index]);
      } else {
        textEntry(child, written[index]);
      }
    }
  }

  const TypeTable& table_;
  std::vector<Problem> findings_;
};

}  // namespace

std::vector<Problem> strictFindings(const TypeTable& table, const TypeInfo& type,
                                    const XMLNode& input, const XMLNode& written) {
  Comparison comparison(table);
  comparison.element(type, input, written);
  return comparison.findings();
}

}  // namespace Tool
}  // namespace Pelagon
