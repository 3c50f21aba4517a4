// Documents as the test programs take them: from files in the source tree, and through the
// parser's verdict.
#ifndef PELAGON_TEST_SUPPORT_DOCUMENTS_HXX
#define PELAGON_TEST_SUPPORT_DOCUMENTS_HXX

#include <filesystem>
#include <string>
#include <vector>

namespace PelagonTest {

/// The bytes of the file at path; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

/// The names of the .xml files in folder, sorted; none when the folder cannot be read. Never
/// throws, so that it may run while tests are registered.
std::vector<std::string> documentsIn(const std::filesystem::path& folder);

/// The message of the DomException that XMLDocument::parse(text) throws, or "parsed".
std::string parseError(const std::string& text);

}  // namespace PelagonTest

#endif  // PELAGON_TEST_SUPPORT_DOCUMENTS_HXX
