#include <varnicore/XmlStream.hxx>

#include <stdexcept>

#include <varnicore/Conversions.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

namespace {

constexpr std::size_t kMaxPrefixBase = 12;

// The readable part of a namespace URI: its last non-empty path segment, reduced to what an
// NCName can start with and carry. Names starting with "xml" are reserved.
std::string prefixBase(const std::string& uri) {
  std::size_t end = uri.size();
  while (end > 0 && uri[end - 1] == '/')
    --end;
  const std::size_t slash = uri.rfind('/', end == 0 ? 0 : end - 1);
  const std::size_t begin = (slash == std::string::npos || end == 0) ? 0 : slash + 1;
  std::string base;
  for (std::size_t i = begin; i < end && base.size() < kMaxPrefixBase; ++i) {
    char c = uri[i];
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    const bool letter = c >= 'a' && c <= 'z';
    const bool digit = c >= '0' && c <= '9';
    if (letter || (digit && !base.empty()))
      base += c;
  }
  if (base.empty() || base.compare(0, 3, "xml") == 0)
    return "ns";
  return base;
}

std::string_view prefixOf(const std::string& qualifiedName) {
  const std::size_t colon = qualifiedName.find(':');
  if (colon == std::string::npos)
    return {};
  return std::string_view(qualifiedName).substr(0, colon);
}

}  // namespace

XmlStream::XmlStream() : std::ostream(nullptr) {
  rdbuf(&ownBuffer_);
}

XmlStream::XmlStream(std::streambuf* sink) : std::ostream(sink) {}

XmlStream::~XmlStream() = default;

std::string XmlStream::str() const {
  return rdbuf() == &ownBuffer_ ? ownBuffer_.str() : std::string();
}

bool XmlStream::isRootElement() const {
  return scopes_.empty();
}

#if !VARNICORE_REDUCED_PROFILE
void XmlStream::addNamespaces(std::set<std::string> namespaces) {
  rootNamespaces_.merge(namespaces);
}
#endif

std::string XmlStream::writeOpenElement(const std::string& ns, const std::string& name) {
  const bool root = scopes_.empty();
  const std::size_t bindingsBefore = bindings_.size();
  std::string markup = "<" + name;
  if (root) {
    for (const std::string& rootNs : rootNamespaces_) {
      if (!rootNs.empty())
        markup += bind(rootNs);
    }
  }
  std::string defaultNamespace = root ? std::string() : scopes_.back().defaultNamespace;
  const std::string_view prefix = prefixOf(name);
  if (prefix.empty() && defaultNamespace != ns) {
    markup += " xmlns=\"";
    appendXmlString(markup, ns);
    markup += '"';
    defaultNamespace = ns;
  }
  if (!ns.empty() && findPrefix(ns) == nullptr)
    markup += bind(ns);
  if (!prefix.empty() && !isPrefixInScope(prefix)) {
    bindings_.resize(bindingsBefore);
    throw std::logic_error("XmlStream: element " + name + " uses the undeclared prefix " +
                           std::string(prefix));
  }
  if (root)
    rootNamespaces_.clear();
  scopes_.push_back(Scope{bindings_.size(), std::move(defaultNamespace)});
  return markup;
}

std::string XmlStream::writeAttribute(const std::string& name, const std::string& value) {
  const std::string_view prefix = prefixOf(name);
  if (!prefix.empty() && prefix != "xml" && prefix != "xmlns" && !isPrefixInScope(prefix)) {
    throw std::logic_error("XmlStream: attribute " + name + " uses the undeclared prefix " +
                           std::string(prefix));
  }
  std::string markup;
  markup.reserve(name.size() + value.size() + 4);
  markup += ' ';
  markup += name;
  markup += "=\"";
  markup += value;
  markup += '"';
  return markup;
}

std::string XmlStream::writeOpenElementClose(const std::string& /*ns*/, bool isEmpty) {
  if (scopes_.empty())
    throw std::logic_error("XmlStream: no start tag to end");
  if (!isEmpty)
    return ">";
  popScope();
  return "/>";
}

std::string XmlStream::writeCloseElement(const std::string& /*ns*/, const std::string& name) {
  if (scopes_.empty())
    throw std::logic_error("XmlStream: no open element to close");
  popScope();
  return "</" + name + ">";
}

std::string XmlStream::getNamespacePrefix(const std::string& ns) const {
  const std::string* prefix = findPrefix(ns);
  if (prefix == nullptr) {
    throw std::logic_error("XmlStream: namespace " + ns + " has no prefix in scope");
  }
  return *prefix;
}

const std::string* XmlStream::findPrefix(const std::string& ns) const {
  for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding) {
    if (binding->second == ns)
      return &binding->first;
  }
  return nullptr;
}

bool XmlStream::isPrefixInScope(std::string_view prefix) const {
  for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding) {
    if (binding->first == prefix)
      return true;
  }
  return false;
}

const std::string& XmlStream::prefixFor(const std::string& ns) {
  auto known = documentPrefixes_.find(ns);
  if (known != documentPrefixes_.end())
    return known->second;
  const std::string base = prefixBase(ns);
  std::string prefix = base;
  for (int suffix = 2; !usedPrefixes_.insert(prefix).second; ++suffix) {
    prefix = base + std::to_string(suffix);
  }
  return documentPrefixes_.emplace(ns, std::move(prefix)).first->second;
}

std::string XmlStream::bind(const std::string& ns) {
  const std::string& prefix = prefixFor(ns);
  bindings_.emplace_back(prefix, ns);
  std::string declaration = " xmlns:" + prefix + "=\"";
  appendXmlString(declaration, ns);
  declaration += '"';
  return declaration;
}

void XmlStream::popScope() {
  scopes_.pop_back();
  if (scopes_.empty()) {
    // A new document starts with fresh prefixes, so that its bytes do not depend on what was
    // written before it.
    bindings_.clear();
    documentPrefixes_.clear();
    usedPrefixes_.clear();
  } else {
    bindings_.resize(scopes_.back().bindingsEnd);
  }
}

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
