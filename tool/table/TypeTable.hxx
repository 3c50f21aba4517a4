// The table of the schema types of this build, from which the pelagon tool, the fuzzer and the
// round-trip property tests take every type they handle. The schema compiler generates the table
// itself (TypeTable.cxx in the build folder) from the schema files; this header holds its
// structures and the look-ups on it.
#ifndef PELAGON_TOOL_TYPETABLE_HXX
#define PELAGON_TOOL_TYPETABLE_HXX

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <varnicore/XMLDocument.hxx>

namespace Pelagon {
namespace Tool {

using ::Corvanthel::Soa::Common::Xml::XMLNode;

/// The kind of a field: an attribute (String, Int, Date), a list of text elements (StringList,
/// IntList), or elements of a schema type (Child and Ref occur once, ChildList is a list). A Ref
/// is written under the name of a global element, in that element's namespace. What a kind means
/// in XML comes with each field, from the schema compiler's description of the kinds.
enum class FieldKind { String, Int, Date, StringList, IntList, Child, ChildList, Ref };

/// The index of no type, for fields that hold text.
constexpr std::size_t kNoType = static_cast<std::size_t>(-1);

struct FieldInfo {
  const char* xmlName;
  FieldKind kind;
  /// The name the schema compiler uses for the kind: "string", "int_list", "child" and so on.
  const char* kindName;
  /// Written as an attribute of the element; otherwise as child elements.
  bool attribute;
  /// Any number of child elements; otherwise one attribute or one element.
  bool list;
  /// The accessor stem: get<stem>, set<stem>, add<stem>, get<stem>Array.
  const char* stem;
  /// The table index of the type of the element (or of each list entry); kNoType for text.
  std::size_t entryType;
};

/// Parses the root element of a document into a fresh object of one type and writes the object
/// again under rootName; throws what reading or writing throws.
using RewriteFunction = std::string (*)(const XMLNode& root, const std::string& rootName);

/// Validates a document against one type; throws DomException at the first fault.
using ValidateFunction = void (*)(const ::Corvanthel::Soa::Common::Xml::XMLDocument& document);

struct TypeInfo {
  /// The interface version, e.g. "saved queries 2007-06".
  const char* version;
  const char* namespaceUri;
  /// The schema file that describes the type, relative to the schema folder (schemas/ in the
  /// source tree, share/pelagon/schemas/ where it is installed).
  const char* schemaFile;
  const char* name;
  /// True when a global element of the schema has this type.
  bool document;
  std::size_t firstField;
  std::size_t fieldCount;
  RewriteFunction rewrite;
  /// The generated validateDocument: the root element must be a global element of the type; null
  /// for a type that no global element has.
  ValidateFunction validateDocument;
  /// The generated validate of the root element: its content only, whatever it is named. Both
  /// are null in a build without validation (PELAGON_HAS_VALIDATION 0).
  ValidateFunction validateContent;
};

/// A global element: a document whose root element has this name (in the namespace of the type)
/// holds that type.
struct DocumentElement {
  const char* name;
  std::size_t type;
};

/// A run of table entries.
template <class T>
class Range {
 public:
  Range(const T* first, std::size_t size) : first_(first), size_(size) {}
  const T* begin() const { return first_; }
  const T* end() const { return first_ + size_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  const T* first_;
  std::size_t size_;
};

/// What a type name given on the command line names: a type, or why it names none.
struct TypeLookup {
  const TypeInfo* type = nullptr;
  std::string error;
};

class TypeTable {
 public:
  TypeTable(const TypeInfo* types, std::size_t typeCount, const FieldInfo* fields,
            std::size_t fieldCount, const DocumentElement* documents, std::size_t documentCount);

  /// The types grouped by interface version, in the order of `pelagon types`.
  Range<TypeInfo> types() const { return {types_, typeCount_}; }
  const TypeInfo& type(std::size_t index) const { return types_[index]; }
  Range<FieldInfo> fields(const TypeInfo& type) const;

  /// The element field (not attribute) with this XML name, as reading matches child elements:
  /// by local name; nullptr when the type has none.
  const FieldInfo* findElementField(const TypeInfo& type, std::string_view xmlName) const;
  /// The type of a document whose root element has this namespace and local name; nullptr when
  /// no global element has them.
  const TypeInfo* findDocument(const std::string& namespaceUri, std::string_view localName) const;
  /// The name of the root element of a document of this type: its global element's, or the type
  /// name for a type without one.
  std::string rootName(const TypeInfo& type) const;

  /// Looks up "[NAMESPACE-OR-VERSION:]NAME": a type name, optionally after the namespace URI or
  /// the version label of its schema and a colon. A bare name must be unique.
  TypeLookup find(const std::string& typeName) const;

 private:
  const TypeInfo* types_;
  std::size_t typeCount_;
  const FieldInfo* fields_;
  std::size_t fieldCount_;
  const DocumentElement* documents_;
  std::size_t documentCount_;
};

/// The table of the types this build has; generated by the schema compiler.
const TypeTable& typeTable();

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_TYPETABLE_HXX
