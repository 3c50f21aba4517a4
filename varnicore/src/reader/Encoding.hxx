// Turning the bytes of a document into the UTF-8 text the reader reads (not installed).
//
// The byte order mark decides first: EF BB BF is UTF-8, FE FF and FF FE are UTF-16 (big and
// little endian), converted here. Without one the text is read as UTF-8 until the XML declaration
// says otherwise: ISO-8859-1 is then converted, US-ASCII checked. Anything else is refused by
// name, as is a declaration that contradicts the mark or the bytes.
#ifndef VARNICORE_SRC_READER_ENCODING_HXX
#define VARNICORE_SRC_READER_ENCODING_HXX

#include <cstddef>
#include <string>
#include <string_view>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// What the bytes were before they became UTF-8.
enum class SourceEncoding { Utf8, Utf8WithMark, Utf16 };

/// Converts text to UTF-8 in place after its byte order mark, which it removes. Throws
/// DomException for UTF-32, for UTF-16 without a byte order mark, and for malformed UTF-16.
SourceEncoding decodeByteOrderMark(std::string& text);

/// Checks the encoding that the XML declaration names against what the bytes were, and brings
/// the text after `from` (the end of the declaration) into UTF-8 if it is not yet. Throws
/// DomException at `at` (the offset of the name) for an encoding it does not read, or one that
/// contradicts the byte order mark or the bytes.
void applyDeclaredEncoding(std::string& text, SourceEncoding source, std::string_view name,
                           std::size_t at, std::size_t from);

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_ENCODING_HXX
