// What a schema says an element may hold: the tables that the schema compiler writes for every
// type, and that the validator (Validator.hxx) walks a parsed tree against. Not for direct use:
// generated code fills them, and applications validate through the generated classes.
#ifndef PELAGON_RUNTIME_CONTENTMODEL_HXX
#define PELAGON_RUNTIME_CONTENTMODEL_HXX

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Validation {

/// The validator's stack holds one frame per open element; the schema compiler refuses types
/// that nest deeper.
constexpr std::size_t kMaxDepth = 64;

/// The built-in type a simple type restricts, which also says how its values' whitespace is
/// handled: xs:string keeps it, xs:int and xs:dateTime collapse it (blanks around are allowed).
enum class Builtin : std::uint8_t { String, Int, DateTime };

/// The pattern facets of a simple type as a deterministic automaton over the bytes of a value:
/// state 0 is the start, next[state * classCount + byteClass[byte]] the state after a byte.
struct Pattern {
  const char* source;  ///< the patterns as the schema writes them, for messages
  const std::uint8_t* byteClass;
  const std::uint8_t* next;
  const bool* accepting;
  std::uint8_t classCount;
  /// Every value in the common form of the base type that SimpleValues.hxx recognises first
  /// (YYYY-MM-DDThh:mm:ss for xs:dateTime) matches, as the schema compiler has proved: the
  /// automaton need not run for such a value.
  bool coversCommonForm;
};

struct SimpleType {
  const char* name;  ///< as messages name it: "xs:int", or the schema's name of a restriction
  Builtin builtin;
  const Pattern* pattern;  ///< null without pattern facets
};

inline constexpr SimpleType kString{"xs:string", Builtin::String, nullptr};
inline constexpr SimpleType kInt{"xs:int", Builtin::Int, nullptr};
inline constexpr SimpleType kDateTime{"xs:dateTime", Builtin::DateTime, nullptr};

/// A declared attribute: unqualified, of a simple type.
struct AttributeUse {
  std::string_view name;
  const SimpleType* type;
  bool required;
};

struct ComplexType;

/// One element of a type's sequence, in order: a single one occurs exactly once, a list any
/// number of times. Its content is a complex type, or text of a simple type.
struct Particle {
  std::string_view name;
  /// Generated tables point every use of a namespace at the same characters, which lets the
  /// validator recognise a namespace it has compared before by address.
  std::string_view namespaceUri;
  const ComplexType* type;  ///< null for text content
  const SimpleType* text;   ///< the type of the text, for text content
  bool list;
};

/// A complex type: its attributes, then its sequence of elements. A type without particles has
/// empty content (no element and no character at all), one with particles element-only content
/// (whitespace between the elements and nothing else).
struct ComplexType {
  const char* name;
  const AttributeUse* attributes;
  std::size_t attributeCount;
  std::uint64_t required;  ///< bit k: attributes[k] is required
  const Particle* particles;
  std::size_t particleCount;
};

/// A global element: the name and namespace of a document's root element, and its type.
struct GlobalElement {
  std::string_view name;
  std::string_view namespaceUri;
  const ComplexType* type;
};

}  // namespace Validation
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // PELAGON_RUNTIME_CONTENTMODEL_HXX
