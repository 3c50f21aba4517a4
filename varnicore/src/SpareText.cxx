#include "SpareText.hxx"

#include <new>
#include <utility>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

namespace {

// With the spare, writing a date allocates nothing once the thread has written one before.
// Its pointer has the default thread-local model of a shared library, not initial-exec: the
// runtime may be opened late, after start-up (by a plug-in that links it), when the static TLS
// block of every thread is fixed already, and a library that needs room in it can then fail to
// load. The pointer needs no initialisation at run time, so reaching it takes no guard beyond the
// model's own lookup.
thread_local std::string* spare = nullptr;

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
