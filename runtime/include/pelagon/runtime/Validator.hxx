// The validator: walks a parsed element and everything below it against the content model that
// the schema compiler wrote for its type (ContentModel.hxx), and throws a DomException at the
// first fault in document order. Generated classes call it from validate() and
// validateDocument(); it reads the tree only, so reading stays exactly as lenient as before.
//
// It walks without recursion, on a stack of kMaxDepth frames, and allocates nothing unless it
// reports a fault: names are compared in place, a namespace that has matched once is known
// again by the address of its characters, and each value is scanned once.
#ifndef PELAGON_RUNTIME_VALIDATOR_HXX
#define PELAGON_RUNTIME_VALIDATOR_HXX

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include <pelagon/runtime/ContentModel.hxx>
#include <pelagon/runtime/SimpleValues.hxx>
#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Validation {

namespace Detail {

constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

/// A name or value as messages show it: quoted, control characters escaped, and cut after a
/// few dozen bytes (at a character boundary), so that a huge name makes no huge message.
inline std::string quoted(std::string_view text) {
  constexpr std::size_t kShown = 48;
  std::size_t shown = text.size() <= kShown ? text.size() : kShown;
  while (shown < text.size() && shown > 0 &&
         (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80)
    --shown;
  std::string out = "'";
  for (const char c : text.substr(0, shown)) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  out += shown < text.size() ? "'..." : "'";
  return out;
}

inline std::string namespaceText(std::string_view uri) {
  return uri.empty() ? std::string("no namespace") : "namespace \"" + std::string(uri) + "\"";
}

[[noreturn]] inline void failAt(int line, int column, const std::string& cause) {
  throw Exceptions::DomException::at(line, column, cause);
}

[[noreturn]] inline void failAtElement(const XMLNode& node, const std::string& cause) {
  failAt(node.getLine(), node.getColumn(), cause);
}

[[noreturn]] inline void failAtPart(const XMLNode& node, std::string_view part,
                                    const std::string& cause) {
  failAt(node.getLineOf(part), node.getColumnOf(part), cause);
}

/// Names compared in place, a word at a time: with a call to memcmp for each, validating the
/// results (A) and criteria (B) documents takes 4 % and 3 % more instructions (pelagon_bench
/// --scale 0.1 --repeat A|B validate under callgrind).
inline bool sameName(std::string_view a, std::string_view b) noexcept {
  std::size_t n = a.size();
  if (n != b.size())
    return false;
  const char* p = a.data();
  const char* q = b.data();
  const auto same = [](const char* x, const char* y, auto word) {
    std::memcpy(&word, x, sizeof word);
    decltype(word) other;
    std::memcpy(&other, y, sizeof other);
    return word == other;
  };
  if (n >= 8) {
    for (; n > 8; n -= 8, p += 8, q += 8) {
      if (!same(p, q, std::uint64_t{}))
        return false;
    }
    return same(p + n - 8, q + n - 8, std::uint64_t{});  // the last 8 bytes, overlapping
  }
  if (n >= 4)
    return same(p, q, std::uint32_t{}) && same(p + n - 4, q + n - 4, std::uint32_t{});
  for (; n > 0; --n, ++p, ++q) {
    if (*p != *q)
      return false;
  }
  return true;
}

/// Namespace names found equal to a table's, known again by the addresses of both. Elements
/// share the characters of the declaration in scope, so a document costs a few comparisons of
/// namespace names in all, whatever its size.
class KnownNamespaces {
 public:
  bool same(std::string_view inDocument, std::string_view inTable) noexcept {
    for (unsigned k = 0; k < kSlots; ++k) {
      if (known_[k].document == inDocument.data() && known_[k].table == inTable.data())
        return true;
    }
    if (!sameName(inDocument, inTable))
      return false;
    known_[next_++ % kSlots] = {inDocument.data(), inTable.data()};
    return true;
  }

 private:
  static constexpr unsigned kSlots = 8;
  struct Pair {
    const char* document = nullptr;
    const char* table = nullptr;
  };
  Pair known_[kSlots];
  unsigned next_ = 0;
};

/// Attributes that any element may carry besides its declared ones: namespace declarations, and
/// the hints that tell validators where schemas are.
inline bool isAllowedEverywhere(const XMLNode& node, std::string_view name) noexcept {
  if (name.substr(0, 5) == "xmlns" && (name.size() == 5 || name[5] == ':'))
    return true;
  const std::size_t colon = name.find(':');
  if (colon == std::string_view::npos)
    return false;
  const std::string_view local = name.substr(colon + 1);
  return (local == "schemaLocation" || local == "noNamespaceSchemaLocation") &&
         node.lookupNamespaceUriView(name.substr(0, colon)) == kXsiNamespace;
}

/// The message for a value that its type does not accept; what names the value's place
/// ("attribute 'limit'").
inline std::string valueFault(ValueFault fault, const SimpleType& type, const std::string& what,
                              std::string_view value) {
  if (fault == ValueFault::Lexical) {
    return what + ": " + quoted(value) + " is not " +
           (type.builtin == Builtin::Int ? "an xs:int" : "an xs:dateTime");
  }
  return what + ": " + quoted(value) + " does not match the pattern of '" + type.name +
         "': " + type.pattern->source;
}

/// The attributes of an element against its type's: each declared one's value, no undeclared
/// one, every required one present (bit k of required stands for allowed[k]). allowed is null
/// for an element of a simple type, which may carry no attribute of its own.
inline void checkAttributes(const XMLNode& node, const AttributeUse* allowed, std::size_t count,
                            std::uint64_t required, const char* typeName) {
  if (node.getAttrCount() == 0 && required == 0)
    return;
  std::uint64_t present = 0;
  std::size_t expected = 0;  // documents mostly give attributes in the declared order
  for (std::size_t i = 0, n = node.getAttrCount(); i < n; ++i) {
    const XMLAttribute attribute = node.getAttrAt(i);
    std::size_t match = count;
    if (expected < count && sameName(attribute.name, allowed[expected].name)) {
      match = expected;
    } else {
      for (std::size_t k = 0; k < count; ++k) {
        if (sameName(attribute.name, allowed[k].name)) {
          match = k;
          break;
        }
      }
    }
    if (match == count) {
      if (isAllowedEverywhere(node, attribute.name))
        continue;
      const std::string_view element = node.getLocalName();
      failAtPart(node, attribute.name,
                 "attribute " + quoted(attribute.name) + " is not declared for element " +
                     quoted(element) +
                     (element == typeName ? "" : std::string(" of type '") + typeName + "'"));
    }
    present |= std::uint64_t{1} << match;
    expected = match + 1;
    const SimpleType& type = *allowed[match].type;
    const ValueFault fault = Validation::checkValue(type, attribute.value);
    if (fault != ValueFault::None) {
      failAtPart(node, attribute.name,
                 valueFault(fault, type, "attribute " + quoted(attribute.name), attribute.value));
    }
  }
  if ((present & required) != required) {
    for (std::size_t k = 0; k < count; ++k) {
      if ((required & ~present & (std::uint64_t{1} << k)) != 0) {
        failAtElement(node, "attribute " + quoted(allowed[k].name) + " is required in element " +
                                quoted(node.getLocalName()));
      }
    }
  }
}

}  // namespace Detail

/// One walk over an element and its descendants.
class Validator {
 public:
  /// element against type; its own name is not looked at (its parent's content model, or the
  /// document's global element, says what it must be).
  void run(const XMLNode& element, const ComplexType& type) {
    open(element, type);
    while (depth_ != 0) {
      Frame& top = frame(depth_ - 1);
      if (top.next.isNull()) {
        close(top);
        --depth_;
        continue;
      }
      const XMLNode child = top.next;
      top.next = child.getNextSibling();
      // The checks of text, attributes and order run as calls only where they have work: making
      // them for every element took 18 % more instructions to validate the results document
      // (A), whose elements mostly have no text around them, no attributes and the particle of
      // the one before.
      if (top.run != XMLTextRunIterator())
        textBefore(top, child.getName().data());
      const Particle* particle = sameParticle(top, child);
      if (particle == nullptr)
        particle = &match(top, child);
      if (particle->type != nullptr) {
        open(child, *particle->type);
      } else {
        textElement(child, *particle);
      }
    }
  }

 private:
  struct Frame {
    XMLNode node;
    const ComplexType* type;
    XMLNode next;            // the next child element to look at
    XMLTextRunIterator run;  // the next run of text to look at
    std::size_t particle;    // the particle that the last child matched
    bool matched;            // whether any child matched that particle yet
  };

  void open(const XMLNode& node, const ComplexType& type) {
    // The compiler refuses types that nest deeper, so no document can make this throw.
    if (depth_ == kMaxDepth)
      throw std::length_error("Validation: types nest deeper than the validator's stack");
    if (node.getAttrCount() != 0 || type.required != 0) {
      Detail::checkAttributes(node, type.attributes, type.attributeCount, type.required, type.name);
    }
    new (&frames_[depth_++].frame)
        Frame{node, &type, node.getFirstChild(), node.getTextRuns().begin(), 0, false};
  }

  // Every run of the frame's text that begins before limit (null: all of them) holds nothing but
  // whitespace, or nothing at all in a type with empty content.
  void textBefore(Frame& frame, const char* limit) {
    const XMLTextRunIterator end;
    for (; frame.run != end && (limit == nullptr || frame.run->data() < limit); ++frame.run) {
      const std::string_view run = *frame.run;
      const bool empty = frame.type->particleCount == 0;
      std::size_t at = 0;
      while (!empty && at < run.size() && isXmlBlank(run[at]))
        ++at;
      if (at == run.size())
        continue;
      const std::string rest(Detail::quoted(run.substr(at)));
      Detail::failAtPart(
          frame.node, run.substr(at),
          "text " + rest + " is not allowed in element " +
              Detail::quoted(frame.node.getLocalName()) +
              (empty ? ", whose type '" + std::string(frame.type->name) + "' has no content"
                     : ", which holds elements only"));
    }
  }

  // The particle of the child before, when child stands for it too: another entry of a list, or
  // the first element of the particle after none; null otherwise.
  const Particle* sameParticle(Frame& frame, const XMLNode& child) noexcept {
    if (frame.particle >= frame.type->particleCount)
      return nullptr;
    const Particle& particle = frame.type->particles[frame.particle];
    if ((frame.matched && !particle.list) ||
        !Detail::sameName(particle.name, child.getLocalName()) ||
        !namespaces_.same(child.getNamespaceUriView(), particle.namespaceUri)) {
      return nullptr;
    }
    frame.matched = true;
    return &particle;
  }

  // The particle that child stands for, which must come next in the sequence.
  const Particle& match(Frame& frame, const XMLNode& child) {
    const ComplexType& type = *frame.type;
    const std::string_view name = child.getLocalName();
    for (std::size_t j = frame.particle; j < type.particleCount; ++j) {
      const Particle& particle = type.particles[j];
      if (!Detail::sameName(particle.name, name))
        continue;
      if (!namespaces_.same(child.getNamespaceUriView(), particle.namespaceUri)) {
        Detail::failAtElement(child, "element " + Detail::quoted(name) + " is in " +
                                         Detail::namespaceText(child.getNamespaceUriView()) +
                                         "; expected " +
                                         Detail::namespaceText(particle.namespaceUri));
      }
      if (j == frame.particle && frame.matched && !particle.list) {
        Detail::failAtElement(child, "element " + Detail::quoted(name) +
                                         " occurs more than once in element " +
                                         Detail::quoted(frame.node.getLocalName()));
      }
      const std::size_t missing = firstMissing(frame, j);
      if (missing != j) {
        Detail::failAtElement(child, "expected element '" +
                                         std::string(type.particles[missing].name) + "' before '" +
                                         std::string(name) + "'");
      }
      frame.particle = j;
      frame.matched = true;
      return particle;
    }
    if (type.particleCount == 0) {
      Detail::failAtElement(child, "element " + Detail::quoted(name) +
                                       " is not allowed in element " +
                                       Detail::quoted(frame.node.getLocalName()) +
                                       ", whose type '" + type.name + "' has no content");
    }
    for (std::size_t j = 0; j < frame.particle; ++j) {
      if (Detail::sameName(type.particles[j].name, name)) {
        Detail::failAtElement(
            child, "element " + Detail::quoted(name) + " is out of order in element " +
                       Detail::quoted(frame.node.getLocalName()) + ": it must come before '" +
                       std::string(type.particles[frame.particle].name) + "'");
      }
    }
    Detail::failAtElement(child, "unexpected element " + Detail::quoted(name) + " in element " +
                                     Detail::quoted(frame.node.getLocalName()) + ": expected " +
                                     expectation(frame));
  }

  // The first particle from the frame's current one up to (not including) last that must come
  // before last and has not; last when there is none.
  static std::size_t firstMissing(const Frame& frame, std::size_t last) noexcept {
    for (std::size_t k = frame.particle; k < last; ++k) {
      const Particle& particle = frame.type->particles[k];
      if (!particle.list && !(k == frame.particle && frame.matched))
        return k;
    }
    return last;
  }

  // What may come at the frame's current place: "'a', 'b' or the end of the element".
  static std::string expectation(const Frame& frame) {
    std::string out;
    const ComplexType& type = *frame.type;
    std::size_t k = frame.particle;
    if (frame.matched && !type.particles[k].list)
      ++k;
    for (; k < type.particleCount; ++k) {
      out += (out.empty() ? "'" : ", '") + std::string(type.particles[k].name) + "'";
      if (!type.particles[k].list)
        return out;
    }
    return out.empty() ? "the end of the element" : out + " or the end of the element";
  }

  void close(Frame& frame) {
    textBefore(frame, nullptr);
    const std::size_t missing = firstMissing(frame, frame.type->particleCount);
    if (missing != frame.type->particleCount) {
      Detail::failAtElement(frame.node, "expected element '" +
                                            std::string(frame.type->particles[missing].name) +
                                            "' before the end of element " +
                                            Detail::quoted(frame.node.getLocalName()));
    }
  }

  // An element of a simple type: no attribute of its own, no child element, and text of the
  // type.
  static void textElement(const XMLNode& node, const Particle& particle) {
    if (node.getAttrCount() != 0)
      Detail::checkAttributes(node, nullptr, 0, 0, particle.text->name);
    if (const XMLNode child = node.getFirstChild()) {
      Detail::failAtElement(child, "element " + Detail::quoted(child.getLocalName()) +
                                       " is not allowed in element " +
                                       Detail::quoted(node.getLocalName()) + ", which holds " +
                                       particle.text->name + " text only");
    }
    // Without child elements the text is one run at most.
    const XMLTextRunIterator run = node.getTextRuns().begin();
    const std::string_view text = run != XMLTextRunIterator() ? *run : std::string_view();
    const ValueFault fault = Validation::checkValue(*particle.text, text);
    if (fault == ValueFault::None)
      return;
    const std::string message = Detail::valueFault(
        fault, *particle.text, "element " + Detail::quoted(node.getLocalName()), text);
    if (text.empty())
      Detail::failAtElement(node, message);
    Detail::failAtPart(node, text, message);
  }

  // Frames are filled as elements open, not cleared when the validator is made.
  union Slot {
    Slot() noexcept {}
    Frame frame;
  };

  Frame& frame(std::size_t index) noexcept { return frames_[index].frame; }

  Slot frames_[kMaxDepth];
  std::size_t depth_ = 0;
  Detail::KnownNamespaces namespaces_;
};

/// Checks element and everything below it against type; throws DomException at the first fault.
inline void validateElement(const XMLNode& element, const ComplexType& type) {
  if (element.isNull())
    throw Exceptions::DomException("There is no element to validate");
  Validator().run(element, type);
}

/// Checks a document's root element: one of the global elements, by local name and namespace,
/// and valid against its type.
inline void validateDocument(const XMLNode& root, const GlobalElement* elements,
                             std::size_t count) {
  if (root.isNull())
    throw Exceptions::DomException("There is no element to validate");
  const std::string_view name = root.getLocalName();
  const std::string_view uri = root.getNamespaceUriView();
  for (std::size_t i = 0; i < count; ++i) {
    if (elements[i].name == name && elements[i].namespaceUri == uri) {
      Validator().run(root, *elements[i].type);
      return;
    }
  }
  std::string expected;
  for (std::size_t i = 0; i < count; ++i) {
    expected += (i == 0           ? ""
                 : i + 1 == count ? " or "
                                  : ", ") +
                std::string("'") + std::string(elements[i].name) + "' in " +
                Detail::namespaceText(elements[i].namespaceUri);
  }
  Detail::failAtElement(root, "the root element is " + Detail::quoted(name) + " in " +
                                  Detail::namespaceText(uri) + "; expected " + expected);
}

}  // namespace Validation
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // PELAGON_RUNTIME_VALIDATOR_HXX
