#include "SpareText.hxx"

#include <new>
#include <utility>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

namespace {

// The spare is reached through a pointer that needs no initialisation at run time, so that the
// initial-exec model reaches it without a call: the runtime is loaded with the program, not opened
// later, and one pointer takes little of the static TLS space.
__attribute__((tls_model("initial-exec"))) thread_local std::string* spare = nullptr;

// Deletes the thread's spare when the thread ends; made on the thread's first keep.
struct SpareOwner {
  ~SpareOwner() {
    delete spare;
    spare = nullptr;
  }
};

// Strings of up to 15 characters have no storage to keep; longer ones than a date and a little
// more are not what the spare is for.
constexpr std::size_t kSmallest = 16;
constexpr std::size_t kLargest = 64;

}  // namespace

std::string takeSpareText() noexcept {
  return spare == nullptr ? std::string() : std::move(*spare);
}

void keepSpareText(std::string&& text) noexcept {
  if (text.capacity() < kSmallest || text.capacity() > kLargest)
    return;
  if (spare == nullptr) {
    static thread_local SpareOwner owner;
    (void)owner;
    spare = new (std::nothrow) std::string();
    if (spare == nullptr)
      return;
  }
  if (spare->capacity() < kSmallest)
    *spare = std::move(text);
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
