// A stack of plain values whose first N live inside its owner: what a stream keeps for a typical
// document (its nesting, namespaces, the names of the open elements) fits there, so that a fresh
// stream allocates nothing for it (not installed).
#ifndef VARNICORE_SRC_INLINESTACK_HXX
#define VARNICORE_SRC_INLINESTACK_HXX

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// The values past size() are uninitialised: an empty stack touches none of its room.
template <class T, std::size_t N>
class InlineStack {
  static_assert(std::is_trivially_copyable_v<T>, "values are moved with memcpy");

 public:
  InlineStack() noexcept {}  // user-provided: the room stays uninitialised
  InlineStack(const InlineStack&) = delete;
  InlineStack& operator=(const InlineStack&) = delete;

  std::size_t size() const { return static_cast<std::size_t>(end_ - data_); }
  bool empty() const { return end_ == data_; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T& back() { return end_[-1]; }
  const T& back() const { return end_[-1]; }
  const T* begin() const { return data_; }
  const T* end() const { return end_; }

  void push_back(const T& value) {
    if (end_ == limit_)
      grow(1);
    *end_++ = value;
  }
  void append(const T* values, std::size_t count) {
    if (static_cast<std::size_t>(limit_ - end_) < count)
      grow(count);
    std::memcpy(end_, values, count * sizeof(T));
    end_ += count;
  }
  /// Drops the values from size on (size <= size()); the room is kept.
  void truncate(std::size_t size) { end_ = data_ + size; }
  void pop_back() { --end_; }
  void clear() { end_ = data_; }

 private:
  // Rare, and out of line: a push inlined into a reader's or writer's loop stays small.
  [[gnu::noinline]] void grow(std::size_t more) {
    const std::size_t size = this->size();
    const std::size_t capacity =
        std::max(size + more, 2 * static_cast<std::size_t>(limit_ - data_));
    std::unique_ptr<T[]> larger(new T[capacity]);
    std::memcpy(larger.get(), data_, size * sizeof(T));
    heap_ = std::move(larger);
    data_ = heap_.get();
    end_ = data_ + size;
    limit_ = data_ + capacity;
  }

  T inline_[N];
  std::unique_ptr<T[]> heap_;
  // Three pointers, as a vector keeps them: a push is one comparison and one store.
  T* data_ = inline_;
  T* end_ = inline_;
  T* limit_ = inline_ + N;
};

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_INLINESTACK_HXX
