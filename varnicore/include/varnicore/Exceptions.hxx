// The exceptions of the runtime.
//
// DomException reports a document that cannot be read: malformed text, a child element that a type
// does not expect, text that does not convert. InvalidXmlText reports text that XML 1.0 cannot
// carry and that therefore is never written. TryingToCreateNullHandle reports an object that could
// not be allocated.
#ifndef VARNICORE_EXCEPTIONS_HXX
#define VARNICORE_EXCEPTIONS_HXX

#include <stdexcept>
#include <string>

#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Exceptions {

/// A document, or a value in it, could not be read. Thrown by value; it deliberately has no
/// std::exception base, so catch it by its own type.
class VARNICORE_API DomException {
 public:
  explicit DomException(const std::string& message);
  const std::string& getMessage() const noexcept { return message_; }

 private:
  std::string message_;
};

/// Text holds a character that XML 1.0 cannot carry (a control character other than tab, CR and
/// LF, U+FFFE, U+FFFF) or is not well-formed UTF-8. Thrown by toXmlString, and so by every write
/// of such a value; what() names the first offending byte offset.
class VARNICORE_API InvalidXmlText : public std::invalid_argument {
 public:
  explicit InvalidXmlText(const std::string& message);
};

}  // namespace Exceptions
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

/// Thrown when an implementation object cannot be allocated (the MemoryManager returned null),
/// by facade constructors and Handle::ensureUnShared. Carries no data.
class VARNICORE_API TryingToCreateNullHandle {};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_EXCEPTIONS_HXX
