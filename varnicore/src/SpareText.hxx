// One spare string per thread, for conversions whose text is too long for a string's own small
// buffer: the text of a DateTime is 19 characters. The stream hands the storage of such a text
// back once it has written it, and the next conversion on that thread takes it again, so that
// writing a date allocates nothing once the first has been written (not installed).
#ifndef VARNICORE_SRC_SPARETEXT_HXX
#define VARNICORE_SRC_SPARETEXT_HXX

#include <string>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// The thread's spare string, or an empty string when there is none; its old text is still in
/// it, so that a text of the same size needs no resizing.
std::string takeSpareText() noexcept;

/// Keeps text's storage as the thread's spare, when there is none and it is worth keeping.
void keepSpareText(std::string&& text) noexcept;

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_SPARETEXT_HXX
