// Checks documents with libxml2's xmllint, an independent parser and schema validator.
#ifndef PELAGON_TEST_XMLLINT_HXX
#define PELAGON_TEST_XMLLINT_HXX

#include <string>

namespace PelagonTest {

struct LintResult {
  /// True when xmllint accepted the document without any complaint, warnings included.
  bool ok;
  /// What xmllint printed (stderr and stdout), for failure messages.
  std::string output;
};

/// Runs `xmllint --noout [--schema schemaPath]` on the document. Namespace errors count as
/// failures although xmllint itself exits with status 0 for them.
LintResult xmllint(const std::string& document, const std::string& schemaPath = "");

}  // namespace PelagonTest

#endif  // PELAGON_TEST_XMLLINT_HXX
