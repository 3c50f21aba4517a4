// The exceptions of the runtime.
//
// DomException reports a document that cannot be read: malformed text, a child element that a type
// does not expect, text that does not convert. InvalidXmlText reports text that XML 1.0 cannot
// carry and that therefore is never written. TryingToCreateNullHandle reports an object that could
// not be allocated.
#ifndef VARNICORE_EXCEPTIONS_HXX
#define VARNICORE_EXCEPTIONS_HXX

#include <cstddef>
#include <stdexcept>
#include <string>

#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Exceptions {

/// A document, or a value in it, could not be read. Thrown by value; it deliberately has no
/// std::exception base, so catch it by its own type.
///
/// Where the fault has a place in the document, the exception carries it as data: getLine() and
/// getColumn() count from 1 (columns in bytes of the document's UTF-8 form), and are 0 when the
/// fault has no place (a value converted on its own, for instance). Parse errors also begin their
/// message with "line L, column C: "; getCause() is the message without that beginning.
class VARNICORE_API DomException {
 public:
  /// A fault without a place.
  explicit DomException(const std::string& message);
  /// A fault at a place; the message is kept as given.
  DomException(const std::string& message, int line, int column);
  /// A fault at a place, with the message "line L, column C: " followed by cause.
  static DomException at(int line, int column, const std::string& cause);

  const std::string& getMessage() const noexcept { return message_; }
  /// The message without the "line L, column C: " that at() puts before the cause.
  std::string getCause() const { return message_.substr(causeStart_); }
  int getLine() const noexcept { return line_; }
  int getColumn() const noexcept { return column_; }

 private:
  std::string message_;
  std::size_t causeStart_ = 0;
  int line_ = 0;
  int column_ = 0;
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
