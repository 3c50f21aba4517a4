// The state behind an XMLDocument, shared by the parser and the checks it runs (not installed).
#ifndef VARNICORE_SRC_PARSEDTEXT_HXX
#define VARNICORE_SRC_PARSEDTEXT_HXX

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

// The text of a document and the tree parsed in place from it: names and values in the tree
// point into `buffer`, which therefore must never be reallocated.
struct ParsedText {
  std::string buffer;
  const char* text = nullptr;  // where parsing began: buffer after its byte order mark
  // Offsets from `text` at which the lines begin. Taken before parsing, since parsing in place
  // rewrites line ends and character references.
  std::vector<std::size_t> lineStarts{0};
  pugi::xml_document document;
  pugi::xml_node_struct* root = nullptr;

  std::pair<int, int> lineAndColumn(std::size_t offset) const {
    const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    const auto line = static_cast<std::size_t>(next - lineStarts.begin());
    return {static_cast<int>(line), static_cast<int>(offset - lineStarts[line - 1] + 1)};
  }
};

// Throws DomException("line L, column C: " + cause) for the byte at offset.
[[noreturn]] void failAt(const ParsedText& data, std::size_t offset, const char* cause);

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_PARSEDTEXT_HXX
