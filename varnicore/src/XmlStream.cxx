#include <varnicore/XmlStream.hxx>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <vector>

#include <varnicore/Conversions.hxx>
#include <varnicore/Exceptions.hxx>

#include "Escaping.hxx"
#include "InlineStack.hxx"
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

// The markup of an attribute, ` name="value"`, and its size.
std::size_t attributeMarkupSize(std::string_view name, std::string_view value) {
  return name.size() + value.size() + 4;
}

void writeAttributeMarkup(char* out, std::string_view name, std::string_view value) {
  *out++ = ' ';
  Detail::copyBytes(out, name.data(), name.size());
  out += name.size();
  *out++ = '=';
  *out++ = '"';
  Detail::copyBytes(out, value.data(), value.size());
  out[value.size()] = '"';
}

// Text is gathered in chunks, the last of which is the put area, so that most insertions are a
// copy and a pointer bump. (A put area over one string would have to fill every byte before it is
// written.) The first chunk lives in the stream: a message of a few kilobytes is written without
// an allocation before the text itself. The text is joined from its chunks once, when it is
// taken, not appended to a string that copies itself again each time it grows (writing A at
// --scale 0.1: 44.05 to 40.90 million instructions, C 24.78 to 22.33).
constexpr std::size_t kFirstChunk = 4096;
// The chunk after the first, kept for the next text; each chunk after that is twice the one
// before, up to the largest.
constexpr std::size_t kLaterChunk = 16384;
constexpr std::size_t kLargestChunk = std::size_t{1} << 20;

class StringSink final : public Detail::PutArea {
 public:
  StringSink() noexcept { setp(first_, first_ + kFirstChunk); }
  StringSink(const StringSink&) = delete;
  StringSink& operator=(const StringSink&) = delete;

  /// Puts text escaped into the room left, which must hold kLongestEscape times its size.
  void putEscaped(std::string_view text) {
    char* const end = Detail::escapeInto(pptr(), text);
    pbump(static_cast<int>(end - pptr()));
  }

  /// Puts ` name="value"` into the room left, which must hold it.
  void putAttribute(std::string_view name, std::string_view value) {
    writeAttributeMarkup(pptr(), name, value);
    pbump(static_cast<int>(attributeMarkupSize(name, value)));
  }

  std::string copy() const {
    std::string text;
    text.reserve(sealedSize_ + written());
    for (const Piece& piece : pieces_)
      text.append(piece.data, piece.size);
    if (written() != 0)
      text.append(pbase(), written());
    return text;
  }

  std::string release() {
    // A text that never left the put area, as a small message's, is taken in one copy.
    std::string text = pieces_.empty() ? std::string(pbase(), pptr()) : copy();
    pieces_.clear();
    storage_.reset();
    sealedSize_ = 0;
    nextChunk_ = 2 * kLaterChunk;
    setp(first_, first_ + kFirstChunk);
    return text;
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof()))
      return traits_type::not_eof(c);
    flush(1);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const auto size = static_cast<std::size_t>(n);
    if (room() < size) {
      if (size > kLargestChunk) {
        // A piece of its own, copied once; the next insertion starts a new chunk.
        seal();
        std::unique_ptr<char[]> bytes(new char[size]);
        std::memcpy(bytes.get(), s, size);
        keep(bytes.get(), size, bytes);
        return n;
      }
      flush(size);
    }
    put(std::string_view(s, size));
    return n;
  }

 private:
  // A chunk of the text before the put area, in storage of its own or in the stream's.
  struct Piece {
    std::unique_ptr<char[]> storage;
    const char* data;
    std::size_t size;
  };

  std::size_t written() const { return static_cast<std::size_t>(pptr() - pbase()); }

  // Adds a piece of the text; it takes storage over only once it is kept, so that a failed
  // allocation loses no storage that the put area still writes into.
  void keep(const char* data, std::size_t size, std::unique_ptr<char[]>& storage) {
    pieces_.push_back(Piece{nullptr, data, size});
    pieces_.back().storage = std::move(storage);
    sealedSize_ += size;
  }

  // The put area's text becomes a piece, and the put area is empty until the next is set. Where
  // an allocation fails, the text is what was written before, kept once.
  void seal() {
    if (written() != 0)
      keep(pbase(), written(), storage_);
    storage_.reset();
    setp(nullptr, nullptr);
  }

  // Seals the put area and starts a chunk with room for at least `needed` bytes.
  void flush(std::size_t needed) {
    const bool fromFirst = pbase() == first_;
    seal();
    if (fromFirst && needed <= kLaterChunk) {
      if (!later_)
        later_.reset(new char[kLaterChunk]);
      setp(later_.get(), later_.get() + kLaterChunk);
      return;
    }
    const std::size_t size = std::max(needed, nextChunk_);
    nextChunk_ = std::min(2 * nextChunk_, kLargestChunk);
    storage_.reset(new char[size]);
    setp(storage_.get(), storage_.get() + size);
  }

  std::vector<Piece> pieces_;
  std::size_t sealedSize_ = 0;       // the bytes of the pieces
  std::unique_ptr<char[]> storage_;  // the put area's chunk, when it is one of its own
  std::size_t nextChunk_ = 2 * kLaterChunk;
  std::unique_ptr<char[]> later_;
  char first_[kFirstChunk];
};

// What the stream keeps of a name it has found to be a QName.
struct NameFacts {
  std::size_t prefixLength = 0;  // 0: no prefix
  int slot = -1;                 // where checkedNames_ keeps it, or -1
};

}  // namespace

// The stream's state. Its members are initialised where they say so and nowhere else: the
// caches and the inline room are touched only as they fill, so that constructing a stream costs
// little.
struct XmlStream::State {
  State() noexcept;  // user-provided: no zeroing beyond the members' own initialisers

  static constexpr std::size_t kCheckedNameBytes = 38;
  struct CheckedName {
    std::uint8_t prefixLength;
    char text[kCheckedNameBytes];
  };
  struct Scope {
    std::size_t bindingsEnd;  // bindings_ up to here are in scope inside the element
    std::size_t nameBegin;    // where the element's name starts in openNames_
    int defaultNamespace;     // an index into namespaces_, or -1 for no namespace
  };
  // A namespace of the current document: its URI and its prefix, in namespaceText_.
  struct Namespace {
    std::size_t uriBegin;
    std::size_t prefixBegin;
    std::uint32_t uriSize;
    std::uint32_t prefixSize;
  };

  std::string_view uri(int id) const {
    const Namespace& found = namespaces_[static_cast<std::size_t>(id)];
    return std::string_view(namespaceText_.data() + found.uriBegin, found.uriSize);
  }
  // The name of the innermost open element.
  std::string_view openName() const {
    const std::size_t begin = scopes_.back().nameBegin;
    return std::string_view(openNames_.data() + begin, openNames_.size() - 1 - begin);
  }
  std::string_view prefix(int id) const {
    const Namespace& found = namespaces_[static_cast<std::size_t>(id)];
    return std::string_view(namespaceText_.data() + found.prefixBegin, found.prefixSize);
  }

  std::string writeOpenElement(const std::string& ns, const std::string& name);
  // Checks that name may be written as the next attribute of the start tag in hand.
  void requireAttribute(const std::string& name);
  std::string attributeMarkup(const std::string& name, const std::string& value);
  // Ends the start tag in hand; its closing markup.
  const char* endStartTag(bool isEmpty);
  std::string writeCloseElement(const std::string& name);
  void keep(std::string&& markup) noexcept {
    // Short strings have no storage of their own; overly long ones are not worth keeping.
    constexpr std::size_t kLargest = 4096;
    if (markup.capacity() > 15 && markup.capacity() <= kLargest)
      spare_ = std::move(markup);
  }
  std::string spare() noexcept {
    std::string markup = std::move(spare_);
    spare_.clear();  // moved from: empty in practice, but only clear() makes it so
    return markup;
  }
  NameFacts checkedName(const std::string& name, const char* what);
  NameFacts attributeName(const std::string& name);
  void requireStartTag(const std::string& name) const;
  void requireNewAttribute(const std::string& name, const NameFacts& facts);
  int namespaceId(std::string_view ns) const;
  int findOrAddNamespace(const std::string& ns);
  bool isBound(int id) const;
  bool isPrefixInScope(std::string_view prefix) const;
  void bind(int id, std::string& markup);
  void popScope();

  StringSink ownBuffer_;
  std::set<std::string> rootNamespaces_;
  // The namespaces of the current document and their prefixes, by index; a namespace keeps its
  // prefix for the whole document.
  Detail::InlineStack<Namespace, 8> namespaces_;
  Detail::InlineStack<char, 512> namespaceText_;
  Detail::InlineStack<int, 8> bindings_;  // namespaces declared in scope, innermost last
  Detail::InlineStack<Scope, 16> scopes_;
  // Names checked already (up to kCheckedNameBytes long). Generated code passes the same few
  // names again and again: a name is looked for in the group of four slots that its bytes pick,
  // and a new one takes the slot that nextSlot_ names in its group. A slot of size 0 is empty;
  // the others are written as they fill. (Writing B takes 28 % fewer instructions with it, a
  // small finder message 11 %.)
  static constexpr std::size_t kCheckedNames = 64;
  std::uint8_t checkedSizes_[kCheckedNames] = {};
  CheckedName checkedNames_[kCheckedNames];
  std::uint8_t nextSlot_[kCheckedNames / 4] = {};
  // The names of the open elements, each followed by a space, for the end tags to match.
  Detail::InlineStack<char, 256> openNames_;
  // Between writeOpenElement and writeOpenElementClose: attributes may be written.
  bool inStartTag_ = false;
  // The attribute names of the start tag in hand: the slots of checkedNames_ that hold them (which
  // keep them until the tag ends), and the others each followed by a space (which no name holds).
  std::uint64_t tagSlots_ = 0;
  std::string tagAttributes_;
  // An element writes the same attributes in the same order, start tag after start tag: each
  // slot of an element name keeps the slots of the attribute names that its last start tag
  // wrote. While a start tag repeats them, a name is known by comparing it with the one slot.
  // (Names in different slots differ, and every slot holds a QName.) A memo is empty until its
  // element name's slot has ended a start tag. (7 % of the instructions of writing B.)
  static constexpr std::size_t kRememberedAttributes = 15;
  struct TagMemo {
    std::uint8_t count;
    std::uint8_t slots[kRememberedAttributes];
  };
  std::uint8_t memoFilled_[kCheckedNames] = {};  // 1: tagMemos_ at that slot holds a memo
  TagMemo tagMemos_[kCheckedNames];
  TagMemo* tagMemo_ = nullptr;  // the memo of the start tag in hand, or null
  TagMemo tagSeen_ = {};        // the slots of the start tag in hand so far
  bool tagRepeats_ = false;     // so far, the start tag in hand repeats its memo
  bool tagMemorable_ = false;   // every attribute of the start tag in hand has a slot
  // Set by setInsertsMarkup.
  bool insertsMarkup_ = false;
  // Where insertEscaped escapes text, its storage kept for the next.
  std::string escaped_;
  // A recycled string, its storage kept for the next call. (Writing B takes 24 % fewer
  // instructions with it, a small finder message 16 %.)
  std::string spare_;
};

XmlStream::State::State() noexcept {}

XmlStream::XmlStream() : std::ostream(nullptr), state_(new State) {
  ownBuffer_ = &state_->ownBuffer_;
  rdbuf(ownBuffer_);
}

XmlStream::XmlStream(std::streambuf* sink) : std::ostream(sink), state_(new State) {
  ownBuffer_ = &state_->ownBuffer_;
}

XmlStream::~XmlStream() = default;

std::string XmlStream::str() const {
  return rdbuf() == ownBuffer_ ? state_->ownBuffer_.copy() : std::string();
}

std::string XmlStream::release() {
  if (rdbuf() != ownBuffer_)
    return std::string();
  return state_->ownBuffer_.release();
}

void XmlStream::insertTextSlowly(std::string_view text) {
  std::streambuf* sink = rdbuf();
  const auto size = static_cast<std::streamsize>(text.size());
  if (sink == nullptr || !good() || sink->sputn(text.data(), size) != size)
    setstate(badbit);
}

void XmlStream::insertEscaped(std::string_view text) {
  // Straight into the stream's own buffer where it has room for the longest escaping; the text
  // counts as inserted only once all of it is escaped.
  if (ownRoom() / Detail::kLongestEscape >= text.size()) {
    state_->ownBuffer_.putEscaped(text);
    return;
  }
  std::string& escaped = state_->escaped_;
  escaped.clear();
  appendXmlString(escaped, text);
  insertText(escaped);
}

void XmlStream::recycle(std::string&& markup) noexcept {
  state_->keep(std::move(markup));
}

bool XmlStream::isRootElement() const {
  return state_->scopes_.empty();
}

#if !VARNICORE_REDUCED_PROFILE
void XmlStream::addNamespaces(std::set<std::string> namespaces) {
  state_->rootNamespaces_.merge(namespaces);
}
#endif

bool XmlStream::setInsertsMarkup(bool on) noexcept {
  const bool was = state_->insertsMarkup_;
  state_->insertsMarkup_ = on;
  return was;
}

std::string XmlStream::inserted(std::string&& markup) {
  if (!state_->insertsMarkup_)
    return std::move(markup);
  insertText(markup);
  state_->keep(std::move(markup));
  return std::string();
}

std::string XmlStream::writeOpenElement(const std::string& ns, const std::string& name) {
  return inserted(state_->writeOpenElement(ns, name));
}

std::string XmlStream::writeAttribute(const std::string& name, const std::string& value) {
  state_->requireAttribute(name);
  // Straight into the stream's own buffer where the stream inserts its markup and there is room:
  // no string in between.
  if (state_->insertsMarkup_ && ownRoom() >= attributeMarkupSize(name, value)) {
    state_->ownBuffer_.putAttribute(name, value);
    return std::string();
  }
  return inserted(state_->attributeMarkup(name, value));
}

std::string XmlStream::writeAttribute(const std::string& name, std::string&& value) {
  std::string markup = writeAttribute(name, static_cast<const std::string&>(value));
  if (value.capacity() > 15)  // short values have no storage to keep
    Detail::keepSpareText(std::move(value));
  return markup;
}

std::string XmlStream::writeOpenElementClose(const std::string& /*ns*/, bool isEmpty) {
  const char* const markup = state_->endStartTag(isEmpty);
  if (!state_->insertsMarkup_)
    return markup;
  insertText(markup);
  return std::string();
}

std::string XmlStream::writeCloseElement(const std::string& /*ns*/, const std::string& name) {
  return inserted(state_->writeCloseElement(name));
}

std::string XmlStream::getNamespacePrefix(const std::string& ns) const {
  const int id = state_->namespaceId(ns);
  if (id < 0 || !state_->isBound(id)) {
    refuseCall({"namespace ", ns, " has no prefix in scope"});
  }
  return std::string(state_->prefix(id));
}

std::string XmlStream::State::writeOpenElement(const std::string& ns, const std::string& name) {
  if (inStartTag_)
    refuseCall({"element ", name, " opened inside an unfinished start tag"});
  tagSlots_ = 0;  // the last start tag has ended: its names may leave the cache
  const NameFacts checked = checkedName(name, "element");
  const bool root = scopes_.empty();
  if (root) {
    for (const std::string& rootNs : rootNamespaces_)
      checkNamespace(rootNs);
  }
  const int known = ns.empty() ? -1 : namespaceId(ns);
  if (known < 0 && !ns.empty())
    checkNamespace(ns);
  const std::string_view prefixUsed(name.data(), checked.prefixLength);
  const std::size_t bindingsBefore = bindings_.size();
  const std::size_t namespacesBefore = namespaces_.size();
  const std::size_t namespaceTextBefore = namespaceText_.size();
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
  if (prefixUsed.empty() && defaultNamespace != id) {
    markup += " xmlns=\"";
    appendXmlString(markup, ns);
    markup += '"';
    defaultNamespace = id;
  }
  if (id >= 0 && !isBound(id))
    bind(id, markup);
  // Usually the prefix is the namespace's own, which is bound by now; prefixes are unique within
  // a document, so no other binding can hide it.
  const bool ownPrefix = id >= 0 && prefix(id) == prefixUsed;
  if (!prefixUsed.empty() && !ownPrefix && !isPrefixInScope(prefixUsed)) {
    bindings_.truncate(bindingsBefore);
    namespaces_.truncate(namespacesBefore);
    namespaceText_.truncate(namespaceTextBefore);
    refuseCall({"element ", name, " uses the undeclared prefix ", prefixUsed});
  }
  if (root)
    rootNamespaces_.clear();
  scopes_.push_back(Scope{bindings_.size(), openNames_.size(), defaultNamespace});
  openNames_.append(name.data(), name.size());
  openNames_.push_back(' ');
  inStartTag_ = true;
  tagAttributes_.clear();
  tagMemo_ = nullptr;
  if (checked.slot >= 0) {
    const auto slot = static_cast<std::size_t>(checked.slot);
    tagMemo_ = &tagMemos_[slot];
    if (memoFilled_[slot] == 0)
      tagMemo_->count = 0;
  }
  tagRepeats_ = tagMemorable_ = tagMemo_ != nullptr;
  tagSeen_.count = 0;
  return markup;
}

void XmlStream::State::requireAttribute(const std::string& name) {
  requireStartTag(name);
  attributeName(name);
}

std::string XmlStream::State::attributeMarkup(const std::string& name, const std::string& value) {
  // Built in place at its final size: this runs for every attribute of every element. The spare
  // string keeps the size of its last use, so that resizing seldom has bytes to fill.
  std::string markup = spare();
  markup.resize(attributeMarkupSize(name, value));
  writeAttributeMarkup(markup.data(), name, value);
  return markup;
}

NameFacts XmlStream::State::checkedName(const std::string& name, const char* what) {
  const std::size_t size = name.size();
  if (size == 0 || size > kCheckedNameBytes) {
    checkName(name, what);
    return NameFacts{prefixOf(name).size()};
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
  const std::size_t first = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 60) * 4;
  for (std::size_t i = first; i < first + 4; ++i) {
    if (checkedSizes_[i] == size && Detail::sameBytes(checkedNames_[i].text, text, size)) {
      const CheckedName& entry = checkedNames_[i];
      return NameFacts{entry.prefixLength, static_cast<int>(i)};
    }
  }
  checkName(name, what);
  NameFacts facts{prefixOf(name).size(), -1};
  // The slots of the group take new names in turn, passing over those that hold an attribute
  // name of the start tag in hand; when all four do, the name is not kept.
  std::uint8_t& next = nextSlot_[first / 4];
  for (std::size_t tries = 0; tries < 4; ++tries, next = (next + 1) % 4) {
    const std::size_t at = first + next;
    if ((tagSlots_ >> at & 1) != 0)
      continue;
    CheckedName& entry = checkedNames_[at];
    checkedSizes_[at] = static_cast<std::uint8_t>(size);
    entry.prefixLength = static_cast<std::uint8_t>(facts.prefixLength);
    std::memcpy(entry.text, text, size);
    memoFilled_[at] = 0;  // the memo of the name that had the slot does not hold for this one
    facts.slot = static_cast<int>(at);
    next = (next + 1) % 4;
    break;
  }
  return facts;
}

// The name's facts, after checking that it may stand as an attribute of the start tag in hand:
// a QName, no namespace declaration, its prefix in scope, and not written on the tag yet.
NameFacts XmlStream::State::attributeName(const std::string& name) {
  const std::size_t at = tagSeen_.count;
  NameFacts facts;
  if (tagRepeats_ && at < tagMemo_->count) {
    const std::size_t slot = tagMemo_->slots[at];
    const CheckedName& entry = checkedNames_[slot];
    if (checkedSizes_[slot] == name.size() &&
        Detail::sameBytes(entry.text, name.data(), name.size()))
      facts = NameFacts{entry.prefixLength, static_cast<int>(slot)};
    else
      tagRepeats_ = false;
  } else {
    tagRepeats_ = false;
  }
  if (!tagRepeats_)
    facts = checkedName(name, "attribute");
  const std::string_view prefixUsed(name.data(), facts.prefixLength);
  if (prefixUsed == "xmlns" || std::string_view(name) == "xmlns")
    refuseText(
        {"invalid attribute name \"", name, "\": namespace declarations are made by the stream"});
  if (!prefixUsed.empty() && prefixUsed != "xml" && !isPrefixInScope(prefixUsed))
    refuseCall({"attribute ", name, " uses the undeclared prefix ", prefixUsed});
  if (tagRepeats_) {
    // Repeating the memo, the name differs from the ones before it in the tag.
    tagSlots_ |= std::uint64_t{1} << facts.slot;
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

void XmlStream::State::requireStartTag(const std::string& name) const {
  if (!inStartTag_) {
    refuseCall({"attribute ", name,
                " written outside a start tag (writeOpenElement before it, "
                "writeOpenElementClose after the last)"});
  }
}

void XmlStream::State::requireNewAttribute(const std::string& name, const NameFacts& facts) {
  // A start tag has a few attributes, most of them in the cache, so comparing with each is cheap:
  // a filter in front of the comparisons saved 2 % of a small message's write and 0.5 % of B's,
  // too little to keep.
  bool seen = false;
  for (std::uint64_t slots = tagSlots_; slots != 0 && !seen; slots &= slots - 1) {
    const auto slot = static_cast<std::size_t>(__builtin_ctzll(slots));
    seen = Detail::sameName(std::string_view(checkedNames_[slot].text, checkedSizes_[slot]), name);
  }
  const std::string_view others(tagAttributes_);
  for (std::size_t begin = 0; begin < others.size() && !seen;) {
    const std::size_t end = others.find(' ', begin);
    seen = others.substr(begin, end - begin) == name;
    begin = end + 1;
  }
  if (seen)
    refuseCall({"attribute ", name, " written twice on element ", openName()});
  if (facts.slot >= 0) {
    tagSlots_ |= std::uint64_t{1} << facts.slot;
  } else {
    tagAttributes_.append(name).push_back(' ');
  }
}

const char* XmlStream::State::endStartTag(bool isEmpty) {
  if (!inStartTag_)
    refuseCall({"no start tag to end"});
  inStartTag_ = false;
  if (tagMemorable_ && !(tagRepeats_ && tagSeen_.count == tagMemo_->count)) {
    *tagMemo_ = tagSeen_;
    memoFilled_[static_cast<std::size_t>(tagMemo_ - tagMemos_)] = 1;
  }
  if (!isEmpty)
    return ">";
  popScope();
  return "/>";
}

std::string XmlStream::State::writeCloseElement(const std::string& name) {
  if (scopes_.empty())
    refuseCall({"no open element to close"});
  if (inStartTag_)
    refuseCall({"end tag of ", name, " before its start tag is ended"});
  const std::string_view open = openName();
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

// A document has a few namespaces, so a search is cheap: remembering the last ones found saved
// 1.5 % of the instructions of writing B, too little to keep.
int XmlStream::State::namespaceId(std::string_view ns) const {
  for (std::size_t i = 0; i < namespaces_.size(); ++i) {
    if (Detail::sameName(uri(static_cast<int>(i)), ns))
      return static_cast<int>(i);
  }
  return -1;
}

int XmlStream::State::findOrAddNamespace(const std::string& ns) {
  const int known = namespaceId(ns);
  if (known >= 0)
    return known;
  const std::string base = prefixBase(ns);
  std::string candidate = base;
  const auto taken = [this](std::string_view wanted) {
    for (std::size_t i = 0; i < namespaces_.size(); ++i) {
      if (prefix(static_cast<int>(i)) == wanted)
        return true;
    }
    return false;
  };
  for (int suffix = 2; taken(candidate); ++suffix)
    candidate = base + std::to_string(suffix);
  const Namespace added{namespaceText_.size(), namespaceText_.size() + ns.size(),
                        static_cast<std::uint32_t>(ns.size()),
                        static_cast<std::uint32_t>(candidate.size())};
  namespaceText_.append(ns.data(), ns.size());
  namespaceText_.append(candidate.data(), candidate.size());
  namespaces_.push_back(added);
  return static_cast<int>(namespaces_.size() - 1);
}

// Both look from the innermost binding out: the namespaces that an element uses are mostly the
// ones declared last.
bool XmlStream::State::isBound(int id) const {
  for (std::size_t i = bindings_.size(); i > 0; --i) {
    if (bindings_[i - 1] == id)
      return true;
  }
  return false;
}

bool XmlStream::State::isPrefixInScope(std::string_view wanted) const {
  for (std::size_t i = bindings_.size(); i > 0; --i) {
    if (Detail::sameName(prefix(bindings_[i - 1]), wanted))
      return true;
  }
  return false;
}

void XmlStream::State::bind(int id, std::string& markup) {
  bindings_.push_back(id);
  markup += " xmlns:";
  markup += prefix(id);
  markup += "=\"";
  appendXmlString(markup, uri(id));
  markup += '"';
}

void XmlStream::State::popScope() {
  openNames_.truncate(scopes_.back().nameBegin);
  scopes_.truncate(scopes_.size() - 1);
  if (scopes_.empty()) {
    // A new document starts with fresh prefixes, so that its bytes do not depend on what was
    // written before it.
    bindings_.clear();
    namespaces_.clear();
    namespaceText_.clear();
  } else {
    bindings_.truncate(scopes_.back().bindingsEnd);
  }
}

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
