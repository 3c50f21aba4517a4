#include "Reader.hxx"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../Characters.hxx"
#include "../LittleEndian.hxx"
#include "../SameBytes.hxx"
#include "../Utf8.hxx"
#include "Attributes.hxx"
#include "Failure.hxx"
#include "Namespaces.hxx"
#include "Scan.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

namespace {

bool startsWith(const char* p, const char* end, std::string_view prefix) noexcept {
  return static_cast<std::size_t>(end - p) >= prefix.size() &&
         std::memcmp(p, prefix.data(), prefix.size()) == 0;
}

// The five predefined entities, each in the slot that ((first ^ second letter) >> 1) & 7 gives:
// the bytes after the '&' up to the ';' as a word whose lowest byte is the first, the mask that
// covers them, their number and the character they stand for. The other three slots match
// nothing. (C's parse runs 9 % faster than with a branch on each letter, which its mixed
// references mispredict: pelagon_bench C_strings/parse, medians of five same-run ratios.)
struct PredefinedEntity {
  std::uint64_t text = 1;
  std::uint64_t mask = 0;
  unsigned length = 0;
  char value = 0;
};

constexpr unsigned entitySlot(char first, char second) noexcept {
  return ((static_cast<unsigned char>(first) ^ static_cast<unsigned char>(second)) >> 1) & 7;
}

constexpr std::array<PredefinedEntity, 8> predefinedEntities() {
  std::array<PredefinedEntity, 8> slots{};
  for (const auto& [name, value] :
       {std::pair{"apos;", '\''}, std::pair{"gt;", '>'}, std::pair{"quot;", '"'},
        std::pair{"lt;", '<'}, std::pair{"amp;", '&'}}) {
    PredefinedEntity entity{0, 0, 0, value};
    for (; name[entity.length] != '\0'; ++entity.length) {
      entity.text |= std::uint64_t{static_cast<unsigned char>(name[entity.length])}
                     << (8 * entity.length);
      entity.mask |= std::uint64_t{0xFF} << (8 * entity.length);
    }
    slots[entitySlot(name[0], name[1])] = entity;
  }
  return slots;
}

constexpr std::array<PredefinedEntity, 8> kPredefinedEntities = predefinedEntities();

// An element whose content is being read. Kept small: a document may nest elements as deep as
// it is long.
struct Frame {
  std::uint32_t index;
  std::uint32_t lastChild;  // index of the last child element so far; 0 before the first
  std::uint32_t scope;      // the namespace scope's mark before the element's declarations
  std::uint32_t lastPiece;  // index of the last text piece after the first; 0 when none
};

class Reader {
 public:
  Reader(Tree& tree, SourceEncoding source)
      : tree_(tree),
        source_(source),
        elements_(tree.elements),
        attributes_(tree.attributes),
        pieces_(tree.pieces),
        scope_(tree.namespaces) {
    tree_.text = tree_.buffer.data();
    base_ = tree_.buffer.data();
    end_ = base_ + tree_.buffer.size();
    tree_.lineStarts.push_back(0);
    *pieces_.append() = TextPiece{0, 0, 0};  // index 0 stands for none
  }

  void read() {
    char* p = base_;
    // A processing instruction whose target is exactly "xml" is the declaration, or misplaced.
    if (startsWith(p, end_, "<?xml") && !hasClass(p[5], kNameChar) && isNameDelimiter(p[5]))
      p = declaration(p);
    p = misc(p, true);
    if (p == end_)
      fail(p, "No document element found");
    p = elementTree(p);
    misc(p, false);
  }

 private:
  std::uint32_t offset(const char* p) const noexcept {
    return static_cast<std::uint32_t>(p - base_);
  }

  [[noreturn]] void fail(const char* at, const std::string& cause) const {
    const auto [line, column] = tree_.lineAndColumn(offset(at));
    throw Exceptions::DomException::at(line, column, cause);
  }

  // The byte at `at` is not what the grammar allows there: says why, the character's own fault
  // first.
  [[noreturn]] void unexpected(const char* at, const char* expected, const char* inside) const {
    if (at >= end_)
      fail(end_, std::string("The document ends inside ") + inside);
    const auto byte = static_cast<unsigned char>(*at);
    std::string found;
    if (byte >= 0x80) {
      found = codePoint(character(at).code);
    } else if (byte < 0x20 && !hasClass(*at, kSpace)) {
      controlCharacter(at);
    } else {
      found = shownByte(*at);
    }
    fail(at, std::string("Expected ") + expected + " in " + inside + ", found " + found);
  }

  [[noreturn]] void controlCharacter(const char* at) const {
    fail(at, "Control character " + codePoint(static_cast<unsigned char>(*at)) + " is not allowed");
  }

  // The UTF-8 character at `at` (a byte >= 0x80), which must be an XML character.
  Utf8Sequence character(const char* at) const {
    const Utf8Sequence sequence =
        decodeUtf8(reinterpret_cast<const unsigned char*>(at), static_cast<std::size_t>(end_ - at));
    if (sequence.length == 0)
      fail(at, "Malformed UTF-8");
    if (sequence.code == 0xFFFE || sequence.code == 0xFFFF)
      fail(at, "Character " + codePoint(sequence.code) + " is not allowed");
    return sequence;
  }

  // The line end at p (LF, CR LF, or a CR on its own), recorded; returns what follows it.
  char* lineEnd(char* p) {
    p += lineEndLength(p);
    tree_.lineStarts.push_back(offset(p));
    return p;
  }

  // S*, recording line ends. Between attributes there is mostly one space.
  char* skipSpace(char* p) {
    while (*p == ' ')
      ++p;
    return hasClass(*p, kSpace) ? skipMixedSpace(p) : p;
  }

  [[gnu::noinline]] char* skipMixedSpace(char* p) {
    for (;;) {
      if (*p == ' ' || *p == '\t')
        ++p;
      else if (*p == '\n' || *p == '\r')
        p = lineEnd(p);
      else
        return p;
    }
  }

  // One character of a comment, processing instruction or the like that stopped findSpecial
  // without being one of its delimiters; returns what follows it.
  char* markupCharacter(char* p, const char* inside) {
    const char c = *p;
    if (c == '\n' || c == '\r')
      return lineEnd(p);
    if (c == '\t')
      return p + 1;
    if (p == end_)
      fail(p, std::string("The document ends inside ") + inside);
    if (static_cast<unsigned char>(c) < 0x80)
      controlCharacter(p);
    return p + character(p).length;
  }

  // ---- names ----

  // A name: Name of XML 1.0 and a QName of Namespaces (at most one colon, neither first nor
  // last); without a colon at all when colon is null. `what` names it in messages ("element
  // name"). Plain ASCII names, with a prefix or without, are taken here; the rest (non-ASCII
  // characters, and every fault) by fullName.
  char* name(char* p, const char** colon, const char* what) {
    if (hasClass(*p, kNameStart)) {
      char* end = const_cast<char*>(findNameEnd(p + 1));
      if (*end == ':' && colon != nullptr && hasClass(end[1], kNameStart)) {
        char* local = end;
        end = const_cast<char*>(findNameEnd(end + 2));
        if (isNameDelimiter(*end)) {
          *colon = local;
          return end;
        }
      } else if (isNameDelimiter(*end)) {
        if (colon != nullptr)
          *colon = nullptr;
        return end;
      }
    }
    return fullName(p, colon, what);
  }

  // What may follow a name: neither a colon nor a character beyond ASCII, which would belong to
  // it (or be a fault of its own).
  static bool isNameDelimiter(char c) noexcept {
    return c != ':' && static_cast<unsigned char>(c) < 0x80;
  }

  [[gnu::noinline]] char* fullName(char* p, const char** colon, const char* what) {
    char* const start = p;
    if (colon != nullptr)
      *colon = nullptr;
    p = nameStartCharacter(p, start, what);
    for (;;) {
      const auto c = static_cast<unsigned char>(*p);
      if (kByteClasses[c] & kNameChar) {
        ++p;
        continue;
      }
      if (c == ':') {
        if (colon == nullptr)
          colonFault(start, what, "cannot hold a colon");
        if (*colon != nullptr)
          colonFault(start, what, "has more than one colon");
        *colon = p;
        p = nameStartCharacter(p + 1, start, what);
        continue;
      }
      if (c < 0x80)
        return p;
      const Utf8Sequence sequence = character(p);
      if (!isNameCode(sequence.code)) {
        fail(p, "Character " + codePoint(sequence.code) + " is not allowed in " + article(what) +
                    what);
      }
      p += sequence.length;
    }
  }

  char* nameStartCharacter(char* p, const char* start, const char* what) {
    const auto c = static_cast<unsigned char>(*p);
    if (kByteClasses[c] & kNameStart)
      return p + 1;
    if (c >= 0x80) {
      const Utf8Sequence sequence = character(p);
      if (isNameStartCode(sequence.code))
        return p + sequence.length;
      if (p == start || !isNameCode(sequence.code))
        fail(p, "Character " + codePoint(sequence.code) + " cannot start " + article(what) + what);
      fail(p, "Character " + codePoint(sequence.code) + " cannot start the local part of " +
                  article(what) + what);
    }
    if (p != start) {  // after a colon
      if (c == ':')
        colonFault(start, what, "has more than one colon");
      if (!(kByteClasses[c] & kNameChar))
        colonFault(start, what, "ends with a colon");
      fail(p, shownByte(*p) + " cannot start the local part of " + article(what) + what);
    }
    if (c == ':')
      colonFault(start, what, "starts with a colon");
    if (p == end_)
      fail(p, std::string("The document ends where ") + article(what) + what + " is expected");
    if (c < 0x20 && !hasClass(*p, kSpace))
      controlCharacter(p);
    fail(p, shownByte(*p) + " cannot start " + article(what) + what);
  }

  // A name that breaks the QName production: shown whole, colons included.
  [[noreturn]] void colonFault(const char* start, const char* what, const char* fault) {
    const char* end = start;
    while (hasClass(*end, kNameChar) || *end == ':' || static_cast<unsigned char>(*end) >= 0x80)
      ++end;
    fail(start, std::string("The ") + what + " \"" +
                    shown(std::string_view(start, static_cast<std::size_t>(end - start))) + "\" " +
                    fault);
  }

  // ---- references ----

  // The reference at in (an '&') in text or an attribute value: its replacement is written at
  // out. Returns what follows the ';'. The five predefined entities are told apart without a
  // branch on which one it is, which text that mixes them would mispredict.
  char* reference(char* in, char*& out) {
    std::uint64_t after = 0;  // the bytes after the '&', the first lowest; 0 past the end
    unsigned slot;
    if (end_ - in > 8) {
      after = littleEndianWord(in + 1);
      slot = entitySlot(in[1], in[2]);
    } else {
      for (unsigned k = 0; in + 1 + k < end_; ++k)
        after |= std::uint64_t{static_cast<unsigned char>(in[1 + k])} << (8 * k);
      slot = entitySlot(static_cast<char>(after), static_cast<char>(after >> 8));
    }
    const PredefinedEntity& entity = kPredefinedEntities[slot];
    if ((after & entity.mask) == entity.text) {
      *out++ = entity.value;
      return in + 1 + entity.length;
    }
    return otherReference(in, out);
  }

  // A character reference, or a fault: a reference to an entity that no document here declares,
  // or an '&' that starts no reference.
  [[gnu::noinline]] char* otherReference(char* in, char*& out) {
    if (in[1] == '#')
      return characterReference(in, out);
    const char* p = in + 1;
    if (hasClass(*p, kNameStart) || *p == ':' || static_cast<unsigned char>(*p) >= 0x80) {
      while (hasClass(*p, kNameChar) || *p == ':' || static_cast<unsigned char>(*p) >= 0x80)
        ++p;
      if (*p == ';') {
        fail(in, "Undeclared entity " +
                     shown(std::string_view(in, static_cast<std::size_t>(p + 1 - in))));
      }
    }
    fail(in, "'&' must start an entity or character reference ending in ';'");
  }

  char* characterReference(char* in, char*& out) {
    const bool hex = in[2] == 'x';
    const char* p = in + (hex ? 3 : 2);
    const char* const digits = p;
    std::uint32_t code = 0;
    bool valid = true;
    for (;; ++p) {
      const char c = *p;
      unsigned digit;
      if (c >= '0' && c <= '9') {
        digit = static_cast<unsigned>(c - '0');
      } else if (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
        digit = static_cast<unsigned>((c | 0x20) - 'a' + 10);
      } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        valid = false;  // shown in the message as written, up to the ';'
        continue;
      } else {
        break;
      }
      code = std::min<std::uint32_t>(code * (hex ? 16 : 10) + digit, 0x110000);
    }
    if (*p != ';')
      fail(in, "'&' must start an entity or character reference ending in ';'");
    const std::string written = shown(std::string_view(in, static_cast<std::size_t>(p + 1 - in)));
    if (!valid || p == digits) {
      fail(in, "Character reference " + written +
                   " is malformed: it must be &#[0-9]+; or &#x[0-9a-fA-F]+;");
    }
    if (!isXmlChar(code))
      fail(in, "Character reference " + written + " is not an XML character");
    // The shortest reference to a code point is never shorter than its UTF-8 form.
    out += encodeUtf8(code, out);
    return const_cast<char*>(p) + 1;
  }

  // Passes over plain bytes up to the next special one; where the text has been shortened before
  // (out behind in), they move to out on the way.
  template <char a, char b, char c>
  void plainRun(char*& out, char*& in) const noexcept {
    if (out == in) {
      in = const_cast<char*>(findSpecial<a, b, c>(in, end_));
      out = in;
    } else {
      moveToSpecial<a, b, c>(out, in, end_);
    }
  }

  // A character of text or an attribute value that is not plain ASCII: checked, and moved to
  // out. Two-byte sequences, and three-byte ones whose lead byte allows any continuation, are
  // taken without decoding.
  void moveCharacter(char*& out, char*& in) {
    const auto byte = static_cast<unsigned char>(*in);
    const auto continuation = [](char next) {
      return (static_cast<unsigned char>(next) & 0xC0) == 0x80;
    };
    unsigned length;
    if (byte >= 0xC2 && byte <= 0xDF && continuation(in[1])) {
      length = 2;
    } else if (byte >= 0xE1 && byte <= 0xEE && byte != 0xED && continuation(in[1]) &&
               continuation(in[2])) {
      length = 3;
    } else {
      if (byte < 0x80)
        controlCharacter(in);
      length = character(in).length;
    }
    if (out != in)
      copyShort(out, in, length);
    out += length;
    in += length;
  }

  // ---- the XML declaration ----

  char* declaration(char* p) {
    char* q = p + 5;
    char* s = skipSpace(q);
    bool space = s != q;
    q = s;
    if (!startsWith(q, end_, "version"))
      unexpected(q, "the version", "the XML declaration");
    std::string_view value;
    q = pseudoAttributeValue(q + 7, value);
    if (value.size() < 3 || value[0] != '1' || value[1] != '.' ||
        value.find_first_not_of("0123456789", 2) != std::string_view::npos) {
      fail(value.data(), "XML version \"" + shown(value) + "\" is not 1.0 (nor 1.x)");
    }
    s = skipSpace(q);
    space = s != q;
    q = s;
    std::string_view encoding;
    if (startsWith(q, end_, "encoding")) {
      if (!space)
        unexpected(q, "whitespace", "the XML declaration");
      q = pseudoAttributeValue(q + 8, encoding);
      const bool letter =
          !encoding.empty() && hasClass(encoding[0], kNameStart) && encoding[0] != '_';
      if (!letter || encoding.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuv"
                                                "wxyz0123456789._-") != std::string_view::npos) {
        fail(encoding.data(), "Encoding name \"" + shown(encoding) + "\" is malformed");
      }
      s = skipSpace(q);
      space = s != q;
      q = s;
    }
    const bool standaloneGiven = startsWith(q, end_, "standalone");
    if (standaloneGiven) {
      if (!space)
        unexpected(q, "whitespace", "the XML declaration");
      std::string_view standalone;
      q = pseudoAttributeValue(q + 10, standalone);
      if (standalone != "yes" && standalone != "no") {
        fail(standalone.data(),
             "standalone must be \"yes\" or \"no\", not \"" + shown(standalone) + "\"");
      }
      q = skipSpace(q);
    }
    if (q[0] != '?' || q[1] != '>') {
      const char* expected = standaloneGiven    ? "'?>'"
                             : encoding.empty() ? "encoding, standalone or '?>'"
                                                : "standalone or '?>'";
      unexpected(q[0] == '?' && q + 1 == end_ ? end_ : q, expected, "the XML declaration");
    }
    q += 2;
    if (!encoding.empty())
      checkDeclaredEncoding(tree_.buffer, source_, encoding, offset(encoding.data()), offset(q));
    return q;
  }

  // Eq and a quoted value made of the characters that version, encoding and standalone values
  // may hold.
  char* pseudoAttributeValue(char* q, std::string_view& value) {
    q = skipSpace(q);
    if (*q != '=')
      unexpected(q, "'='", "the XML declaration");
    q = skipSpace(q + 1);
    const char quote = *q;
    if (quote != '"' && quote != '\'')
      unexpected(q, "a quoted value", "the XML declaration");
    char* const start = ++q;
    while (hasClass(*q, kNameChar))
      ++q;
    if (*q != quote)
      unexpected(q, quote == '"' ? "'\"' to end the value" : "\"'\" to end the value",
                 "the XML declaration");
    value = std::string_view(start, static_cast<std::size_t>(q - start));
    return q + 1;
  }

  // ---- outside the root element ----

  // Misc* (comments, processing instructions, whitespace): before the root element returns the
  // '<' that opens it (end_ when there is none), after it the end.
  char* misc(char* p, bool beforeRoot) {
    const char* const where = beforeRoot ? "before" : "after";
    for (;;) {
      p = skipSpace(p);
      if (*p == '<') {
        if (p[1] == '?') {
          p = processingInstruction(p);
          continue;
        }
        if (p[1] == '!') {
          if (p[2] == '-' && p[3] == '-') {
            p = comment(p);
            continue;
          }
          if (startsWith(p, end_, "<![CDATA["))
            fail(p, std::string("A CDATA section is not allowed ") + where + " the root element");
          otherMarkupDeclaration(p);
        }
        if (p[1] == '/')
          fail(p, "End tag without a start tag");
        if (beforeRoot)
          return p;
        fail(p, "A second root element is not allowed");
      }
      if (p == end_)
        return p;
      const auto byte = static_cast<unsigned char>(*p);
      if (byte < 0x20)
        controlCharacter(p);
      if (byte >= 0x80)
        (void)character(p);
      fail(p, std::string("Text is not allowed ") + where + " the root element");
    }
  }

  // '<!' at p that opens neither a comment nor a CDATA section: a DOCTYPE, one of them cut
  // short by the end of the document, or a fault.
  [[noreturn]] void otherMarkupDeclaration(const char* p) {
    if (startsWith(p, end_, "<!DOCTYPE"))
      fail(p, "DOCTYPE is not allowed");
    const auto left = static_cast<std::size_t>(end_ - p);
    if (left < 9 && std::memcmp(p, "<![CDATA[", left) == 0)
      fail(end_, "The document ends inside a CDATA section");
    if (left < 4 && std::memcmp(p, "<!--", left) == 0)
      fail(end_, "The document ends inside a comment");
    fail(p, "'<!' must begin a comment or a CDATA section");
  }

  char* comment(char* p) {
    char* in = p + 4;
    for (;;) {
      in = const_cast<char*>(findSpecial<'-', '-', '-'>(in, end_));
      if (*in == '-') {
        if (in[1] == '-') {
          if (in[2] == '>')
            return in + 3;
          if (in + 2 == end_)
            fail(end_, "The document ends inside a comment");
          fail(in, "'--' is not allowed inside a comment");
        }
        ++in;
        continue;
      }
      in = markupCharacter(in, "a comment");
    }
  }

  char* processingInstruction(char* p) {
    char* const target = p + 2;
    char* q = name(target, nullptr, "processing instruction target");
    if (q - target == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
        (target[2] | 0x20) == 'l') {
      if (std::memcmp(target, "xml", 3) == 0)
        fail(p, "The XML declaration may only stand at the very start of the document");
      fail(target, "The processing instruction target " + std::string(target, 3) + " is reserved");
    }
    if (q[0] == '?' && q[1] == '>')
      return q + 2;
    if (!hasClass(*q, kSpace))
      unexpected(q, "whitespace or '?>'", "a processing instruction");
    char* in = q;
    for (;;) {
      in = const_cast<char*>(findSpecial<'?', '?', '?'>(in, end_));
      if (*in == '?') {
        if (in[1] == '>')
          return in + 2;
        ++in;
        continue;
      }
      in = markupCharacter(in, "a processing instruction");
    }
  }

  // ---- elements ----

  // The root element and everything in it; returns what follows its end tag.
  char* elementTree(char* p) {
    p = startTag(p);
    while (!frames_.empty()) {
      if (*p != '<') {
        p = text(p);
        if (p == end_) {
          const ElementRecord& open = tree_.elements[frames_.back().index];
          fail(p, "The document ends before element " +
                      shown(std::string_view(base_ + open.name, open.nameLength)) + " is closed");
        }
      }
      switch (p[1]) {
        case '/':
          p = endTag(p);
          break;
        case '!':
          if (p[2] == '-' && p[3] == '-') {
            p = comment(p);
          } else if (startsWith(p, end_, "<![CDATA[")) {
            p = cdataSection(p);
          } else {
            otherMarkupDeclaration(p);
          }
          break;
        case '?':
          p = processingInstruction(p);
          break;
        default:
          p = startTag(p);
          break;
      }
    }
    return p;
  }

  char* startTag(char* p) {
    char* const elementName = p + 1;
    const char* colon = nullptr;
    char* q = name(elementName, &colon, "element name");
    const std::uint32_t index = tree_.elements.size();
    ElementRecord* element = elements_.append();
    Frame* const parent = frames_.empty() ? nullptr : &frames_.back();
    // Every field at once, so that none is left unset (-Wmissing-field-initializers): counts and
    // text start at 0, the namespace is known after the attributes.
    const auto nameLength = static_cast<std::uint32_t>(q - elementName);
    const auto localName = colon ? static_cast<std::uint32_t>(colon + 1 - elementName) : 0;
    const std::uint32_t parentIndex = parent != nullptr ? parent->index : 0;
    *element = ElementRecord{offset(elementName),     nameLength, localName, parentIndex, 0, 0,
                             tree_.attributes.size(), 0,          0,         0,           0, 0};
    if (parent != nullptr) {
      ++elements_.at(parent->index).childCount;
      if (parent->lastChild != 0)
        elements_.at(parent->lastChild).nextSibling = index;
      parent->lastChild = index;
    }
    runEnd_ = nullptr;

    const std::uint32_t scope = scope_.mark();
    bool prefixed = false;  // an attribute other than a namespace declaration has a prefix
    bool empty;
    for (;;) {
      char* s = skipSpace(q);
      if (*s == '>') {
        q = s + 1;
        empty = false;
        break;
      }
      if (*s == '/' && (s[1] == '>' || s + 1 == end_)) {
        if (s + 1 == end_)
          fail(end_, "The document ends inside a start tag");
        q = s + 2;
        empty = true;
        break;
      }
      if (s == q)
        unexpected(s, "whitespace, '>' or '/>'", "a start tag");
      q = attribute(s, *element, prefixed);
    }
    if (element->attributeCount != 0)
      shape_->count = std::min(element->attributeCount, kFewAttributes);

    if (colon != nullptr) {
      const std::string_view prefix(elementName, static_cast<std::size_t>(colon - elementName));
      if (prefix == "xmlns")
        fail(elementName, "An element name cannot have the prefix xmlns");
      element->namespaceUri = resolvePrefix(elementName, prefix);
    } else {
      element->namespaceUri = scope_.defaultNamespace();
    }
    if (prefixed)
      checkPrefixedAttributes(*element);

    if (empty) {
      scope_.close(scope);
    } else {
      frames_.push_back(Frame{index, 0, scope, 0});
    }
    return q;
  }

  // One attribute of the element's start tag at p; returns what follows its value. Inlined by
  // force, as is attributeValue: left to itself, GCC calls one of them or the other depending on
  // the start tag's size, and a parse of the large documents costs up to 4 % more.
  [[gnu::always_inline]] char* attribute(char* p, ElementRecord& element, bool& prefixed) {
    const std::uint32_t place = element.attributeCount;
    if (place == 0) {
      shape_ = &shapes_.of(std::string_view(base_ + element.name, element.nameLength));
      sameShape_ = true;
    }
    Shape& shape = *shape_;
    const char* colon = nullptr;
    char* q;
    if (sameShape_ && place < shape.count &&
        isName(p, std::string_view(shape.names[place], shape.nameLengths[place]))) {
      // As in the last start tag of this element: a name, and none of the ones before it.
      q = p + shape.nameLengths[place];
      colon = shape.colons[place] != 0 ? p + shape.colons[place] - 1 : nullptr;
    } else {
      q = readAttributeName(p, element, &colon);
    }
    AttributeRecord* attribute = attributes_.append();
    ++element.attributeCount;
    attribute->name = offset(p);
    attribute->nameLength = static_cast<std::uint32_t>(q - p);
    q = skipSpace(q);
    if (*q != '=')
      unexpected(q, "'='", "a start tag");
    q = skipSpace(q + 1);
    if (*q != '"' && *q != '\'')
      unexpected(q, "a quoted attribute value", "a start tag");
    q = attributeValue(q, *attribute);

    const bool xmlnsPrefix = colon == p + 5 && std::memcmp(p, "xmlns", 5) == 0;
    if (xmlnsPrefix ||
        (colon == nullptr && attribute->nameLength == 5 && std::memcmp(p, "xmlns", 5) == 0)) {
      const std::string_view prefix =
          xmlnsPrefix ? std::string_view(colon + 1, attribute->nameLength - 6) : std::string_view();
      const std::string fault = scope_.declare(
          prefix, std::string_view(base_ + attribute->value, attribute->valueLength));
      if (!fault.empty())
        fail(p, fault);
    } else if (colon != nullptr) {
      prefixed = true;
    }
    return q;
  }

  // The name of the element's next attribute at p, read and checked against the names before it
  // (the start tag has left its shape); returns what follows it.
  [[gnu::noinline]] char* readAttributeName(char* p, const ElementRecord& element,
                                            const char** colon) {
    const std::uint32_t place = element.attributeCount;
    Shape& shape = *shape_;
    char* const q = name(p, colon, "attribute name");
    const std::string_view given(p, static_cast<std::size_t>(q - p));
    const auto keyOf = [&](std::uint32_t i) {
      return UniqueNames::Key{
          i == place ? given : attributeName(tree_.attributes[element.firstAttribute + i]), {}};
    };
    sameShape_ = false;  // the names so far, which the shape vouched for, are checked from here on
    if (place < kComparedAttributes) {
      for (std::uint32_t i = 0; i < place; ++i) {
        if (sameName(keyOf(i).first, given))
          repeated(element, given);
      }
    } else {
      if (hashedTag_ != element.firstAttribute) {
        names_.clear();
        for (std::uint32_t i = 0; i < place; ++i)
          names_.insert(i, keyOf);
        hashedTag_ = element.firstAttribute;
      }
      if (!names_.insert(place, keyOf))
        repeated(element, given);
    }
    if (place < kFewAttributes) {
      shape.names[place] = p;
      shape.nameLengths[place] = static_cast<std::uint32_t>(q - p);
      shape.colons[place] = *colon != nullptr ? static_cast<std::uint32_t>(*colon - p + 1) : 0;
    }
    return q;
  }

  // The value at p (its opening quote), normalised in place; returns what follows it.
  [[gnu::always_inline]] char* attributeValue(char* p, AttributeRecord& attribute) {
    const char quote = *p;
    char* const start = p + 1;
    char* in = start;
    char* out = start;
    for (;;) {
      if (quote == '"')
        plainRun<'"', '<', '&'>(out, in);
      else
        plainRun<'\'', '<', '&'>(out, in);
      if (*in == quote)
        break;
      if (*in == '&') {  // the frequent stop, by a branch of its own as in text()
        in = reference(in, out);
        continue;
      }
      if (static_cast<unsigned char>(*in) >= 0x80) {
        moveCharacter(out, in);
        continue;
      }
      switch (*in) {
        case '<':
          fail(in, "'<' is not allowed in an attribute value");
        case '\t':
          *out++ = ' ';
          ++in;
          break;
        case '\n':
        case '\r':
          in = lineEnd(in);  // CR LF is one line end, and so one space
          *out++ = ' ';
          break;
        default:
          if (in == end_)
            fail(in, "The document ends inside an attribute value");
          moveCharacter(out, in);
          break;
      }
    }
    attribute.value = offset(start);
    attribute.valueLength = static_cast<std::uint32_t>(out - start);
    return in + 1;
  }

  std::uint32_t resolvePrefix(const char* name, std::string_view prefix) {
    const std::uint32_t uri = scope_.resolve(prefix);
    if (uri == NamespaceScope::kUnbound)
      fail(name, "The prefix " + shown(prefix) + " is not bound to a namespace");
    return uri;
  }

  std::string_view attributeName(const AttributeRecord& attribute) const noexcept {
    return std::string_view(base_ + attribute.name, attribute.nameLength);
  }

  // Whether the name known at p is there, and ends there.
  bool isName(const char* p, std::string_view known) const noexcept {
    const std::size_t size = known.size();
    return static_cast<std::size_t>(end_ - p) > size && sameBytes(p, known.data(), size) &&
           !hasClass(p[size], kNameChar) && isNameDelimiter(p[size]);
  }

  [[noreturn]] void repeated(const ElementRecord& element, std::string_view name) {
    fail(name.data(), "Attribute " + shown(name) + " is repeated in element " +
                          shown(std::string_view(base_ + element.name, element.nameLength)));
  }

  // The prefixes of an element's attributes bound, and no two attributes with the same namespace
  // and local name, once the start tag's declarations are known. An unbound prefix is reported
  // before a repeat, wherever it stands.
  void checkPrefixedAttributes(const ElementRecord& element) {
    const std::uint32_t first = element.firstAttribute;
    expanded_.clear();
    prefixedAttributes_.clear();
    for (std::uint32_t i = first; i < first + element.attributeCount; ++i) {
      const AttributeRecord& attribute = tree_.attributes[i];
      const std::string_view name = attributeName(attribute);
      const std::size_t colon = name.find(':');
      if (colon == std::string_view::npos || name.substr(0, colon) == "xmlns")
        continue;
      const std::uint32_t uri = resolvePrefix(base_ + attribute.name, name.substr(0, colon));
      expanded_.push_back({name.substr(colon + 1), tree_.namespaces[uri]});
      prefixedAttributes_.push_back(i);
    }
    names_.clear();
    const auto keyOf = [this](std::uint32_t k) { return expanded_[k]; };
    for (std::uint32_t k = 0; k < expanded_.size(); ++k) {
      if (names_.insert(k, keyOf))
        continue;
      const AttributeRecord& attribute = tree_.attributes[prefixedAttributes_[k]];
      fail(base_ + attribute.name,
           "Attribute " + shown(attributeName(attribute)) + " of element " +
               shown(std::string_view(base_ + element.name, element.nameLength)) +
               " repeats another's namespace \"" + shown(expanded_[k].second) +
               "\" and local name " + shown(expanded_[k].first));
    }
  }

  char* endTag(char* p) {
    Frame& frame = frames_.back();
    const ElementRecord& element = tree_.elements[frame.index];
    char* const given = p + 2;
    const char* const expected = base_ + element.name;
    char* q = given + element.nameLength;
    const bool same = static_cast<std::uint32_t>(end_ - given) >= element.nameLength &&
                      sameBytes(given, expected, element.nameLength) && !hasClass(*q, kNameChar) &&
                      isNameDelimiter(*q);
    if (!same) {
      const char* colon = nullptr;
      q = name(given, &colon, "element name");
      fail(given, "End tag </" +
                      shown(std::string_view(given, static_cast<std::size_t>(q - given))) +
                      "> does not match start tag <" +
                      shown(std::string_view(expected, element.nameLength)) + ">");
    }
    q = skipSpace(q);
    if (*q != '>')
      unexpected(q, "'>'", "an end tag");
    scope_.close(frame.scope);
    frames_.pop_back();
    runEnd_ = nullptr;
    return q + 1;
  }

  // ---- character data ----

  char* text(char* p) { return characterData<false>(p); }
  char* cdataSection(char* p) { return characterData<true>(p + 9); }

  // Character data at in, up to the next '<' (text; the '<' is returned) or the "]]>" that ends
  // a CDATA section (what follows it is returned), appended to the element's text.
  template <bool kCdata>
  char* characterData(char* in) {
    char* out = runEnd_ != nullptr ? runEnd_ : in;
    char* const first = out;
    for (;;) {
      if constexpr (kCdata)
        plainRun<']', ']', ']'>(out, in);
      else
        plainRun<'<', '&', ']'>(out, in);
      // The frequent stops of text first, each by a branch of its own: a jump table over them
      // all would be mispredicted as often as text mixes them.
      const char stop = *in;
      if (!kCdata && stop == '<') {
        appendText(first, out);
        return in;
      }
      if (!kCdata && stop == '&') {
        in = reference(in, out);
        continue;
      }
      if (!kCdata && static_cast<unsigned char>(stop) >= 0x80) {
        moveCharacter(out, in);
        continue;
      }
      switch (stop) {
        case ']':
          if (in[1] == ']' && in[2] == '>') {
            if (!kCdata)
              fail(in, "']]>' is not allowed in text");
            appendText(first, out);
            return in + 3;
          }
          *out++ = *in++;
          break;
        case '\t':
          *out++ = *in++;
          break;
        case '\n':
        case '\r':
          in = lineEnd(in);  // one LF however it is written
          *out++ = '\n';
          break;
        default:
          if (in == end_) {
            if (kCdata)
              fail(in, "The document ends inside a CDATA section");
            return in;
          }
          moveCharacter(out, in);
          break;
      }
    }
  }

  // Text [first, out) of the open element: continues the run that the last text began, or
  // begins its first piece or a further one.
  void appendText(char* first, char* out) {
    const auto length = static_cast<std::uint32_t>(out - first);
    if (length == 0)
      return;
    if (runEnd_ != nullptr) {
      *runLength_ += length;
    } else {
      Frame& frame = frames_.back();
      ElementRecord& element = elements_.at(frame.index);
      if (element.textLength == 0) {
        element.text = offset(first);
        element.textLength = length;
        runLength_ = &element.textLength;
      } else {
        const std::uint32_t index = tree_.pieces.size();
        TextPiece* piece = pieces_.append();
        *piece = TextPiece{offset(first), length, 0};
        if (frame.lastPiece != 0)
          pieces_.at(frame.lastPiece).next = index;
        else
          element.moreText = index;
        frame.lastPiece = index;
        runLength_ = &piece->length;
      }
    }
    runEnd_ = out;
  }

  Tree& tree_;
  const SourceEncoding source_;
  char* base_;
  char* end_;  // the string's terminating NUL, which stops every loop
  RecordAppender<ElementRecord, 5> elements_;
  RecordAppender<AttributeRecord, 6> attributes_;
  RecordAppender<TextPiece, 4> pieces_;
  NamespaceScope scope_;
  // A typical document's nesting fits inside the reader.
  InlineStack<Frame, 32> frames_;
  // The run of text that character data continues (after a comment, processing instruction or
  // CDATA section): where its bytes end and the length that grows with it; null after a tag.
  char* runEnd_ = nullptr;
  std::uint32_t* runLength_ = nullptr;
  Shapes shapes_;
  Shape* shape_ = nullptr;
  bool sameShape_ = false;  // the start tag's names so far are those of its shape
  // A start tag's first few names are compared with each other, the rest found through names_:
  // hashing costs more than a few comparisons (a parse of FindWorkspaceObjectsInput.xml: 16,009
  // instructions when every name is hashed, 14,629 when the first 16 are compared).
  static constexpr std::uint32_t kComparedAttributes = 16;
  UniqueNames names_;  // the start tag's names, once it has more than kComparedAttributes
  // The start tag whose names so far names_ holds, by its first attribute's index (which no other
  // start tag with attributes shares).
  std::uint32_t hashedTag_ = ~std::uint32_t{0};
  // The prefixed attributes of a start tag: local and namespace name, and the attribute's index.
  std::vector<UniqueNames::Key> expanded_;
  std::vector<std::uint32_t> prefixedAttributes_;
};

}  // namespace

void readDocument(Tree& tree, SourceEncoding source) {
  Reader(tree, source).read();
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
