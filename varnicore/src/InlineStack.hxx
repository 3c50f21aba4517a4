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

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T& back() { return data_[size_ - 1]; }
  const T& back() const { return data_[size_ - 1]; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

  void push_back(const T& value) {
    if (size_ == capacity_)
      grow(size_ + 1);
    data_[size_++] = value;
  }
  void append(const T* values, std::size_t count) {
    if (capacity_ - size_ < count)
      grow(size_ + count);
    std::memcpy(data_ + size_, values, count * sizeof(T));
    size_ += count;
  }
  /// Drops the values from size on (size <= size()); the room is kept.
  void truncate(std::size_t size) { size_ = size; }
  void clear() { size_ = 0; }

 private:
  void grow(std::size_t needed) {
    const std::size_t capacity = std::max(needed, 2 * capacity_);
    std::unique_ptr<T[]> larger(new T[capacity]);
    std::memcpy(larger.get(), data_, size_ * sizeof(T));
    heap_ = std::move(larger);
    data_ = heap_.get();
    capacity_ = capacity;
  }

  T inline_[N];
  std::unique_ptr<T[]> heap_;
  T* data_ = inline_;
  std::size_t size_ = 0;
  std::size_t capacity_ = N;
};

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_INLINESTACK_HXX
