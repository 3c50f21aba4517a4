// Turning the bytes of a document into the UTF-8 text the reader reads, before it reads (not
// installed).
//
// The byte order mark decides first: EF BB BF is UTF-8, FE FF and FF FE are UTF-16 (big and
// little endian), converted here. Without one the text is UTF-8 unless its XML declaration names
// ISO-8859-1, which is then converted after the declaration. The reader checks the declaration's
// grammar as it comes to it, and with checkDeclaredEncoding that the name agrees with the bytes.
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
enum class SourceEncoding { Utf8, Utf8WithMark, Utf16, Latin1 };

/// Converts text to UTF-8 in place: removes a byte order mark, converts UTF-16 after one, and
/// ISO-8859-1 after a declaration that names it. Throws DomException for UTF-32, for UTF-16
/// without a byte order mark, and for malformed UTF-16.
SourceEncoding decodeText(std::string& text);

/// Checks the encoding that the XML declaration names (at offset `at`; the declaration ends at
/// `from`) against what the bytes were. Throws DomException for an encoding it does not read, or
/// one that contradicts the byte order mark or the bytes.
void checkDeclaredEncoding(std::string_view text, SourceEncoding source, std::string_view name,
                           std::size_t at, std::size_t from);

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_ENCODING_HXX
