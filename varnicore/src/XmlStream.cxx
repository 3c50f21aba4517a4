#include <varnicore/XmlStream.hxx>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include <varnicore/Conversions.hxx>
#include <varnicore/Exceptions.hxx>

#include "QName.hxx"
#include "SameBytes.hxx"
#include "SpareText.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

namespace {

constexpr std::size_t kMaxPrefixBase = 12;

// The two namespaces that only their own reserved prefixes may stand for.
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

// The messages are put together out of the way of the calls that may throw them, which run for
// every element and attribute.
std::string joined(std::initializer_list<std::string_view> parts) {
  std::string message = "XmlStream: ";
  for (const std::string_view part : parts)
    message.append(part);
  return message;
}

[[noreturn, gnu::cold, gnu::noinline]] void refuseCall(
    std::initializer_list<std::string_view> parts) {
  throw std::logic_error(joined(parts));
}

[[noreturn, gnu::cold, gnu::noinline]] void refuseText(
    std::initializer_list<std::string_view> parts) {
  throw Exceptions::InvalidXmlText(joined(parts));
}

// Names are checked where the stream is asked to write them; the message names the name.
void checkName(const std::string& name, const char* what) {
  if (!Detail::isQName(name))
    refuseText({"invalid ", what, " name \"", name, "\": ", Detail::qnameFault(name)});
}

void checkNamespace(const std::string& ns) {
  if (ns == kXmlNamespace || ns == kXmlnsNamespace)
    refuseText(
        {"the namespace ", ns, " cannot be declared; only its reserved prefix stands for it"});
}

// A bit of a 64-bit filter for an attribute name: names that differ in it cannot be equal.
std::uint64_t filterBit(const std::string& name) {
  const auto byteAt = [&name](std::size_t i) { return static_cast<unsigned char>(name[i]); };
  const std::uint64_t mixed = (name.size() * 0x9E3779B97F4A7C15u) ^ byteAt(0) ^
                              (byteAt(name.size() / 2) << 8) ^
                              (static_cast<std::uint64_t>(byteAt(name.size() - 1)) << 16);
  return std::uint64_t{1} << ((mixed * 0xFF51AFD7ED558CCDu) >> 58);
}

// Appends name and a space (which no name holds) to the names that buffer holds up to end. The
// buffer only grows, so that most appends are a copy.
void pushName(std::string& buffer, std::size_t& end, std::string_view name) {
  const std::size_t needed = end + name.size() + 1;
  if (needed > buffer.size())
    buffer.resize(std::max<std::size_t>({needed, 2 * buffer.size(), 64}));
  char* out = buffer.data() + end;
  Detail::copyBytes(out, name.data(), name.size());
  out[name.size()] = ' ';
  end = needed;
}

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

// A small document fits its first chunk; a large one soon reaches chunks of the largest size.
constexpr std::size_t kFirstChunk = 1024;
constexpr std::size_t kLargestChunk = 16384;

}  // namespace

void XmlStream::StringSink::flush() {
  text_.append(pbase(), pptr());
  if (chunkSize_ < kLargestChunk) {
    chunkSize_ = chunkSize_ == 0 ? kFirstChunk : 4 * chunkSize_;
    chunk_.reset(new char[chunkSize_]);
  }
  setp(chunk_.get(), chunk_.get() + chunkSize_);
}

XmlStream::StringSink::int_type XmlStream::StringSink::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return traits_type::not_eof(c);
  flush();
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize XmlStream::StringSink::xsputn(const char* s, std::streamsize n) {
  const auto size = static_cast<std::size_t>(n);
  if (room() < size) {
    flush();
    if (size > chunkSize_) {
      text_.append(s, size);
      return n;
    }
  }
  put(std::string_view(s, size));
  return n;
}

std::string XmlStream::StringSink::copy() const {
  std::string text;
  text.reserve(text_.size() + static_cast<std::size_t>(pptr() - pbase()));
  text.append(text_).append(pbase(), pptr());
  return text;
}

std::string XmlStream::StringSink::release() {
  text_.append(pbase(), pptr());
  setp(chunk_.get(), chunk_.get() + chunkSize_);
  std::string text = std::move(text_);
  text_.clear();
  return text;
}

XmlStream::XmlStream() : std::ostream(nullptr) {
  rdbuf(&ownBuffer_);
}

XmlStream::XmlStream(std::streambuf* sink) : std::ostream(sink) {}

XmlStream::~XmlStream() = default;

std::string XmlStream::str() const {
  return rdbuf() == &ownBuffer_ ? ownBuffer_.copy() : std::string();
}

std::string XmlStream::release() {
  if (rdbuf() != &ownBuffer_)
    return std::string();
  return ownBuffer_.release();
}

void XmlStream::insertTextSlowly(std::string_view text) {
  std::streambuf* sink = rdbuf();
  const auto size = static_cast<std::streamsize>(text.size());
  if (sink == nullptr || !good() || sink->sputn(text.data(), size) != size)
    setstate(badbit);
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
  if (inStartTag_)
    refuseCall({"element ", name, " opened inside an unfinished start tag"});
  tagSlots_ = 0;  // the last start tag has ended: its names may leave the cache
  const NameFacts checked = checkedName(name, "element");
  const bool root = scopes_.empty();
  if (root) {
    for (const std::string& rootNs : rootNamespaces_)
      checkNamespace(rootNs);
    if (scopes_.capacity() == 0) {
      // Room for the namespaces and nesting of a typical document, taken once per stream.
      constexpr std::size_t kTypical = 8;
      uris_.reserve(kTypical);
      prefixes_.reserve(kTypical);
      bindings_.reserve(kTypical);
      scopes_.reserve(kTypical);
    }
  }
  const int known = ns.empty() ? -1 : namespaceId(ns);
  if (known < 0 && !ns.empty())
    checkNamespace(ns);
  const std::string_view prefix(name.data(), checked.prefixLength);
  const std::size_t bindingsBefore = bindings_.size();
  const std::size_t urisBefore = uris_.size();
  // The start of the tag in place; declarations, where there are any, are appended.
  std::string markup = spare();
  markup.resize(name.size() + 1);
  markup[0] = '<';
  Detail::copyBytes(markup.data() + 1, name.data(), name.size());
  if (root) {
    // Each declaration takes its URI, a prefix and a few characters.
    std::size_t size = markup.size() + ns.size() + 16;
    for (const std::string& rootNs : rootNamespaces_)
      size += rootNs.size() + kMaxPrefixBase + 16;
    markup.reserve(size);
    for (const std::string& rootNs : rootNamespaces_) {
      if (!rootNs.empty())
        bind(findOrAddNamespace(rootNs), markup);
    }
  }
  const int id = ns.empty() ? -1 : (known >= 0 ? known : findOrAddNamespace(ns));
  int defaultNamespace = root ? -1 : scopes_.back().defaultNamespace;
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
    uris_.resize(urisBefore);
    prefixes_.resize(urisBefore);
    recentNamespaces_[0] = recentNamespaces_[1] = -1;
    refuseCall({"element ", name, " uses the undeclared prefix ", prefix});
  }
  if (root)
    rootNamespaces_.clear();
  scopes_.push_back(Scope{bindings_.size(), openNamesEnd_, defaultNamespace});
  pushName(openNames_, openNamesEnd_, name);
  inStartTag_ = true;
  tagAttributesEnd_ = 0;
  tagAttributeFilter_ = 0;
  tagMemo_ = checked.slot >= 0 ? &tagMemos_[static_cast<std::size_t>(checked.slot)] : nullptr;
  tagRepeats_ = tagMemorable_ = tagMemo_ != nullptr;
  tagSeen_.count = 0;
  return markup;
}

std::string XmlStream::writeAttribute(const std::string& name, const std::string& value) {
  requireStartTag(name);
  attributeName(name);
  // Built in place at its final size: this runs for every attribute of every element. The spare
  // string keeps the size of its last use, so that resizing seldom has bytes to fill.
  std::string markup = spare();
  markup.resize(name.size() + value.size() + 4);
  char* out = markup.data();
  *out++ = ' ';
  Detail::copyBytes(out, name.data(), name.size());
  out += name.size();
  *out++ = '=';
  *out++ = '"';
  Detail::copyBytes(out, value.data(), value.size());
  out[value.size()] = '"';
  return markup;
}

XmlStream::NameFacts XmlStream::checkedName(const std::string& name, const char* what) {
  const std::size_t size = name.size();
  if (size == 0 || size > kCheckedNameBytes) {
    checkName(name, what);
    return NameFacts{prefixOf(name).size(), filterBit(name)};
  }
  // A key from the first and last bytes (which overlap in short names) and the size.
  const char* const text = name.data();
  std::uint64_t key = size;
  if (size >= 8) {
    std::uint64_t first, last;
    std::memcpy(&first, text, 8);
    std::memcpy(&last, text + size - 8, 8);
    key ^= first ^ (last << 7) ^ (last >> 57);
  } else if (size >= 4) {
    std::uint32_t first, last;
    std::memcpy(&first, text, 4);
    std::memcpy(&last, text + size - 4, 4);
    key ^= (std::uint64_t{last} << 32) | first;
  } else {
    for (std::size_t i = 0; i < size; ++i)
      key ^= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * (i + 1));
  }
  // Four slots a group; the key picks the group.
  static_assert(kCheckedNames == 64, "the group is the top four bits of the mixed key");
  CheckedName* const group = checkedNames_ + ((key * 0x9E3779B97F4A7C15u) >> 60) * 4;
  const std::size_t first = static_cast<std::size_t>(group - checkedNames_);
  for (std::size_t i = 0; i < 4; ++i) {
    const CheckedName& entry = group[i];
    if (entry.size == size && Detail::sameBytes(entry.text, text, size))
      return NameFacts{entry.prefixLength, entry.filterBit, static_cast<int>(first + i)};
  }
  checkName(name, what);
  NameFacts facts{prefixOf(name).size(), filterBit(name), -1};
  // The slots of the group take new names in turn, passing over those that hold an attribute
  // name of the start tag in hand; when all four do, the name is not kept.
  std::uint8_t& next = nextSlot_[first / 4];
  for (std::size_t tries = 0; tries < 4; ++tries, next = (next + 1) % 4) {
    const std::size_t at = first + next;
    if ((tagSlots_ >> at & 1) != 0)
      continue;
    CheckedName& entry = checkedNames_[at];
    entry.size = static_cast<std::uint8_t>(size);
    entry.prefixLength = static_cast<std::uint8_t>(facts.prefixLength);
    entry.filterBit = facts.filterBit;
    std::memcpy(entry.text, text, size);
    facts.slot = static_cast<int>(at);
    next = (next + 1) % 4;
    break;
  }
  return facts;
}

std::string XmlStream::writeAttribute(const std::string& name, std::string&& value) {
  std::string markup = writeAttribute(name, static_cast<const std::string&>(value));
  if (value.capacity() > 15)  // short values have no storage to keep
    Detail::keepSpareText(std::move(value));
  return markup;
}

// The name's facts, after checking that it may stand as an attribute of the start tag in hand:
// a QName, no namespace declaration, its prefix in scope, and not written on the tag yet.
XmlStream::NameFacts XmlStream::attributeName(const std::string& name) {
  const std::size_t at = tagSeen_.count;
  NameFacts facts;
  if (tagRepeats_ && at < tagMemo_->count) {
    const std::size_t slot = tagMemo_->slots[at];
    const CheckedName& entry = checkedNames_[slot];
    if (entry.size == name.size() && Detail::sameBytes(entry.text, name.data(), name.size()))
      facts = NameFacts{entry.prefixLength, entry.filterBit, static_cast<int>(slot)};
    else
      tagRepeats_ = false;
  } else {
    tagRepeats_ = false;
  }
  if (!tagRepeats_)
    facts = checkedName(name, "attribute");
  const std::string_view prefix(name.data(), facts.prefixLength);
  if (prefix == "xmlns" || std::string_view(name) == "xmlns")
    refuseText(
        {"invalid attribute name \"", name, "\": namespace declarations are made by the stream"});
  if (!prefix.empty() && prefix != "xml" && !isPrefixInScope(prefix))
    refuseCall({"attribute ", name, " uses the undeclared prefix ", prefix});
  if (tagRepeats_) {
    // Repeating the memo, the name differs from the ones before it in the tag.
    tagSlots_ |= std::uint64_t{1} << facts.slot;
    tagAttributeFilter_ |= facts.filterBit;
  } else {
    requireNewAttribute(name, facts);
  }
  if (facts.slot >= 0 && at < kRememberedAttributes) {
    tagSeen_.slots[at] = static_cast<std::uint8_t>(facts.slot);
    tagSeen_.count = static_cast<std::uint8_t>(at + 1);
  } else {
    tagMemorable_ = false;
  }
  return facts;
}

void XmlStream::requireStartTag(const std::string& name) const {
  if (!inStartTag_) {
    refuseCall({"attribute ", name,
                " written outside a start tag (writeOpenElement before it, "
                "writeOpenElementClose after the last)"});
  }
}

void XmlStream::requireNewAttribute(const std::string& name, const NameFacts& facts) {
  // Most names are not in the filter yet; a name that is must be compared with the others.
  if ((tagAttributeFilter_ & facts.filterBit) != 0) {
    bool seen = false;
    for (std::uint64_t slots = tagSlots_; slots != 0 && !seen; slots &= slots - 1) {
      const CheckedName& entry = checkedNames_[__builtin_ctzll(slots)];
      seen = Detail::sameName(std::string_view(entry.text, entry.size), name);
    }
    const std::string_view others(tagAttributes_.data(), tagAttributesEnd_);
    for (std::size_t begin = 0; begin < others.size() && !seen;) {
      const std::size_t end = others.find(' ', begin);
      seen = others.substr(begin, end - begin) == name;
      begin = end + 1;
    }
    if (seen) {
      const std::size_t nameBegin = scopes_.back().nameBegin;
      refuseCall({"attribute ", name, " written twice on element ",
                  std::string_view(openNames_).substr(nameBegin, openNamesEnd_ - 1 - nameBegin)});
    }
  }
  tagAttributeFilter_ |= facts.filterBit;
  if (facts.slot >= 0) {
    tagSlots_ |= std::uint64_t{1} << facts.slot;
  } else {
    pushName(tagAttributes_, tagAttributesEnd_, name);
  }
}

std::string XmlStream::writeOpenElementClose(const std::string& /*ns*/, bool isEmpty) {
  if (!inStartTag_)
    refuseCall({"no start tag to end"});
  inStartTag_ = false;
  if (tagMemorable_ && !(tagRepeats_ && tagSeen_.count == tagMemo_->count))
    *tagMemo_ = tagSeen_;
  if (!isEmpty)
    return ">";
  popScope();
  return "/>";
}

std::string XmlStream::writeCloseElement(const std::string& /*ns*/, const std::string& name) {
  if (scopes_.empty())
    refuseCall({"no open element to close"});
  if (inStartTag_)
    refuseCall({"end tag of ", name, " before its start tag is ended"});
  const std::size_t nameBegin = scopes_.back().nameBegin;
  const std::string_view open(openNames_.data() + nameBegin, openNamesEnd_ - 1 - nameBegin);
  if (!Detail::sameName(open, name)) {
    refuseCall({"end tag of ", name, " where ", open, " is open"});
  }
  popScope();
  std::string markup = spare();
  markup.resize(name.size() + 3);
  char* const out = markup.data();
  out[0] = '<';
  out[1] = '/';
  Detail::copyBytes(out + 2, name.data(), name.size());
  out[name.size() + 2] = '>';
  return markup;
}

std::string XmlStream::getNamespacePrefix(const std::string& ns) const {
  const int id = namespaceId(ns);
  if (id < 0 || !isBound(id)) {
    refuseCall({"namespace ", ns, " has no prefix in scope"});
  }
  return prefixes_[static_cast<std::size_t>(id)];
}

int XmlStream::namespaceId(const std::string& ns) const {
  for (const int recent : recentNamespaces_) {
    if (recent >= 0 && Detail::sameName(uris_[static_cast<std::size_t>(recent)], ns))
      return recent;
  }
  for (std::size_t i = 0; i < uris_.size(); ++i) {
    if (Detail::sameName(uris_[i], ns)) {
      recentNamespaces_[1] = recentNamespaces_[0];
      recentNamespaces_[0] = static_cast<int>(i);
      return recentNamespaces_[0];
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
  openNamesEnd_ = scopes_.back().nameBegin;
  scopes_.pop_back();
  if (scopes_.empty()) {
    // A new document starts with fresh prefixes, so that its bytes do not depend on what was
    // written before it.
    bindings_.clear();
    uris_.clear();
    prefixes_.clear();
    recentNamespaces_[0] = recentNamespaces_[1] = -1;
  } else {
    bindings_.resize(scopes_.back().bindingsEnd);
  }
}

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
