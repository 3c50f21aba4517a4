// libxml2's XML Schema validator as an independent judge of ours: a document's verdict against a
// schema file, and the departures of libxml2 from XML Schema 1.0 that the comparison allows.
#ifndef PELAGON_TEST_SCHEMAORACLE_HXX
#define PELAGON_TEST_SCHEMAORACLE_HXX

#include <map>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;
struct _xmlSchema;

namespace PelagonTest {

struct SchemaVerdict {
  /// libxml2 read the bytes as a well-formed document; nothing below holds when it did not.
  bool wellFormed = false;
  bool valid = false;
  /// Every validity error libxml2 reported, in its words.
  std::vector<std::string> errors;
};

/// The schema files of one folder (imports resolved from there), each parsed once.
class SchemaOracle {
 public:
  explicit SchemaOracle(std::string folder);
  ~SchemaOracle();
  SchemaOracle(const SchemaOracle&) = delete;
  SchemaOracle& operator=(const SchemaOracle&) = delete;

  /// bytes read by libxml2 (no network, no DTD, no entity substitution) and validated against
  /// schemaFile, named relative to the folder. xsi:schemaLocation hints are not followed.
  SchemaVerdict judge(std::string_view bytes, const std::string& schemaFile);

 private:
  _xmlSchema* schema(const std::string& schemaFile);

  std::string folder_;
  std::map<std::string, _xmlSchema*> schemas_;
};

/// Why a document that our validator accepts and libxml2 refuses is still valid under XML Schema
/// 1.0, when every error libxml2 gave is a known departure of libxml2 2.9; "" when any is not.
/// Known:
/// - libxml2 refuses XML whitespace around an xs:int, which the type's whitespace facet
///   (collapse) removes before the value is checked: recognised by its message and the value it
///   quotes, which must be an xs:int once the blanks around it are gone;
/// - libxml2 refuses a CDATA section in element-only content even when it holds whitespace
///   only, which is whitespace there as any other, and an empty one in empty content, where it
///   adds no character: recognised by judging the document again with such sections written as
///   plain text.
std::string libxml2Departure(SchemaOracle& oracle, const SchemaVerdict& verdict,
                             std::string_view bytes, const std::string& schemaFile);

/// What the mutating tests and the validation fuzzer do to libxml2's trees: the elements below
/// and including node in document order, and a document written out as UTF-8 text.
std::vector<_xmlNode*> elementsOf(_xmlNode* node);
std::string serialized(_xmlDoc* document);

}  // namespace PelagonTest

#endif  // PELAGON_TEST_SCHEMAORACLE_HXX
