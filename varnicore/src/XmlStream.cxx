#include <varnicore/XmlStream.hxx>

#include <algorithm>
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

// Names are short: a loop costs less than a library call.
std::string_view prefixOf(const std::string& qualifiedName) {
  for (std::size_t i = 0; i < qualifiedName.size(); ++i) {
    if (qualifiedName[i] == ':')
      return std::string_view(qualifiedName.data(), i);
  }
  return {};
}

}  // namespace

XmlStream::StringSink::int_type XmlStream::StringSink::overflow(int_type c) {
  if (!traits_type::eq_int_type(c, traits_type::eof()))
    text.push_back(traits_type::to_char_type(c));
  return traits_type::not_eof(c);
}

std::streamsize XmlStream::StringSink::xsputn(const char* s, std::streamsize n) {
  // A first reservation spares a small document the string's first rounds of doubling.
  constexpr std::size_t kFirstCapacity = 2048;
  if (text.capacity() < kFirstCapacity)
    text.reserve(kFirstCapacity);
  text.append(s, static_cast<std::size_t>(n));
  return n;
}

XmlStream::XmlStream() : std::ostream(nullptr) {
  rdbuf(&ownBuffer_);
}

XmlStream::XmlStream(std::streambuf* sink) : std::ostream(sink) {}

XmlStream::~XmlStream() = default;

std::string XmlStream::str() const {
  return rdbuf() == &ownBuffer_ ? ownBuffer_.text : std::string();
}

std::string XmlStream::release() {
  if (rdbuf() != &ownBuffer_)
    return std::string();
  std::string text = std::move(ownBuffer_.text);
  ownBuffer_.text.clear();
  return text;
}

bool XmlStream::isRootElement() const {
  return scopes_.empty();
}

#if !VARNICORE_REDUCED_PROFILE
void XmlStream::addNamespaces(std::set<std::string> namespaces) {
  rootNamespaces_.merge(namespaces);
}
#endif

void XmlStream::recycle(std::string&& markup) noexcept {
  // Short strings have no storage of their own; overly long ones are not worth keeping.
  constexpr std::size_t kLargest = 4096;
  if (spareCount_ < kSpares && markup.capacity() > 15 && markup.capacity() <= kLargest)
    spares_[spareCount_++] = std::move(markup);
}

std::string XmlStream::spare() noexcept {
  if (spareCount_ == 0)
    return std::string();
  std::string markup = std::move(spares_[--spareCount_]);
  markup.clear();
  return markup;
}

std::string XmlStream::writeOpenElement(const std::string& ns, const std::string& name) {
  const bool root = scopes_.empty();
  if (root && scopes_.capacity() == 0) {
    // Room for the namespaces and nesting of a typical document, taken once per stream.
    constexpr std::size_t kTypical = 8;
    uris_.reserve(kTypical);
    prefixes_.reserve(kTypical);
    bindings_.reserve(kTypical);
    scopes_.reserve(kTypical);
  }
  const std::size_t bindingsBefore = bindings_.size();
  std::string markup = spare();
  std::size_t size = name.size() + 1;
  if (root) {
    // Each declaration takes its URI, a prefix and a few characters.
    for (const std::string& rootNs : rootNamespaces_)
      size += rootNs.size() + kMaxPrefixBase + 16;
    size += ns.size() + 16;
  }
  markup.reserve(size);
  markup += '<';
  markup += name;
  if (root) {
    for (const std::string& rootNs : rootNamespaces_) {
      if (!rootNs.empty())
        bind(findOrAddNamespace(rootNs), markup);
    }
  }
  const int id = ns.empty() ? -1 : findOrAddNamespace(ns);
  int defaultNamespace = root ? -1 : scopes_.back().defaultNamespace;
  const std::string_view prefix = prefixOf(name);
  if (prefix.empty() && defaultNamespace != id) {
    markup += " xmlns=\"";
    appendXmlString(markup, ns);
    markup += '"';
    defaultNamespace = id;
  }
  if (id >= 0 && !isBound(id))
    bind(id, markup);
  // Usually the prefix is the namespace's own, which is bound by now; prefixes are unique within
  // a document, so no other binding can hide it.
  const bool ownPrefix = id >= 0 && prefixes_[static_cast<std::size_t>(id)] == prefix;
  if (!prefix.empty() && !ownPrefix && !isPrefixInScope(prefix)) {
    bindings_.resize(bindingsBefore);
    throw std::logic_error("XmlStream: element " + name + " uses the undeclared prefix " +
                           std::string(prefix));
  }
  if (root)
    rootNamespaces_.clear();
  scopes_.push_back(Scope{bindings_.size(), defaultNamespace});
  return markup;
}

std::string XmlStream::writeAttribute(const std::string& name, const std::string& value) {
  const std::string_view prefix = prefixOf(name);
  if (!prefix.empty() && prefix != "xml" && prefix != "xmlns" && !isPrefixInScope(prefix)) {
    throw std::logic_error("XmlStream: attribute " + name + " uses the undeclared prefix " +
                           std::string(prefix));
  }
  // Built in place at its final size: this runs for every attribute of every element.
  std::string markup = spare();
  markup.resize(name.size() + value.size() + 4);
  char* out = markup.data();
  *out++ = ' ';
  out = std::copy(name.begin(), name.end(), out);
  *out++ = '=';
  *out++ = '"';
  out = std::copy(value.begin(), value.end(), out);
  *out = '"';
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
  std::string markup = spare();
  markup.resize(name.size() + 3);
  markup.back() = '>';
  markup[0] = '<';
  markup[1] = '/';
  std::copy(name.begin(), name.end(), markup.begin() + 2);
  return markup;
}

std::string XmlStream::getNamespacePrefix(const std::string& ns) const {
  const int id = namespaceId(ns);
  if (id < 0 || !isBound(id)) {
    throw std::logic_error("XmlStream: namespace " + ns + " has no prefix in scope");
  }
  return prefixes_[static_cast<std::size_t>(id)];
}

int XmlStream::namespaceId(const std::string& ns) const {
  // The address alone could be a different string's by now; the contents decide.
  if (&ns == lastNamespace_ && ns == uris_[static_cast<std::size_t>(lastNamespaceId_)])
    return lastNamespaceId_;
  for (std::size_t i = 0; i < uris_.size(); ++i) {
    if (uris_[i] == ns) {
      lastNamespace_ = &ns;
      lastNamespaceId_ = static_cast<int>(i);
      return lastNamespaceId_;
    }
  }
  return -1;
}

int XmlStream::findOrAddNamespace(const std::string& ns) {
  const int known = namespaceId(ns);
  if (known >= 0)
    return known;
  const std::string base = prefixBase(ns);
  std::string prefix = base;
  for (int suffix = 2; std::find(prefixes_.begin(), prefixes_.end(), prefix) != prefixes_.end();
       ++suffix) {
    prefix = base + std::to_string(suffix);
  }
  uris_.push_back(ns);
  prefixes_.push_back(std::move(prefix));
  lastNamespace_ = nullptr;  // the caller's string may not live as long as the cache
  return static_cast<int>(uris_.size() - 1);
}

bool XmlStream::isBound(int id) const {
  return std::find(bindings_.rbegin(), bindings_.rend(), id) != bindings_.rend();
}

bool XmlStream::isPrefixInScope(std::string_view prefix) const {
  for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding) {
    if (prefixes_[static_cast<std::size_t>(*binding)] == prefix)
      return true;
  }
  return false;
}

void XmlStream::bind(int id, std::string& markup) {
  bindings_.push_back(id);
  markup += " xmlns:";
  markup += prefixes_[static_cast<std::size_t>(id)];
  markup += "=\"";
  appendXmlString(markup, uris_[static_cast<std::size_t>(id)]);
  markup += '"';
}

void XmlStream::popScope() {
  scopes_.pop_back();
  if (scopes_.empty()) {
    // A new document starts with fresh prefixes, so that its bytes do not depend on what was
    // written before it.
    bindings_.clear();
    uris_.clear();
    prefixes_.clear();
    lastNamespace_ = nullptr;
  } else {
    bindings_.resize(scopes_.back().bindingsEnd);
  }
}

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
