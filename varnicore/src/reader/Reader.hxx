// The reader: one pass over a document's text that checks every well-formedness constraint of
// XML 1.0 and Namespaces in XML 1.0 while it builds the tree (not installed).
#ifndef VARNICORE_SRC_READER_READER_HXX
#define VARNICORE_SRC_READER_READER_HXX

#include "Encoding.hxx"
#include "Tree.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// Reads the UTF-8 text in tree.buffer (what decodeText left there; source says what it
/// was) into tree, rewriting it in place: references replaced, line ends and attribute values
/// normalised. Throws DomException at the first fault in document order.
void readDocument(Tree& tree, SourceEncoding source);

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_READER_HXX
