#include "SpareText.hxx"

#include <utility>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

namespace {

// The initial-exec model reaches the string without a call: the runtime is loaded with the
// program, not opened later, and one string takes little of the static TLS space.
__attribute__((tls_model("initial-exec"))) thread_local std::string spare;

// Strings of up to 15 characters have no storage to keep; longer ones than a date and a little
// more are not what the spare is for.
constexpr std::size_t kSmallest = 16;
constexpr std::size_t kLargest = 64;

}  // namespace

std::string takeSpareText() noexcept {
  return std::move(spare);
}

void keepSpareText(std::string&& text) noexcept {
  if (spare.capacity() < kSmallest && text.capacity() >= kSmallest && text.capacity() <= kLargest) {
    spare = std::move(text);
  }
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
