// Everything behind an XMLDocument: the text, rewritten in place, and the tree read from it
// (not installed).
#ifndef VARNICORE_SRC_READER_TREE_HXX
#define VARNICORE_SRC_READER_TREE_HXX

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include <varnicore/XMLTree.hxx>

#include "../InlineStack.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// Appends records to RecordBlocks, a new block (twice the size of the last) when one is full,
/// and frees the blocks again.
template <class Record, unsigned kFirstBits>
class RecordAppender {
 public:
  using Blocks = RecordBlocks<Record, kFirstBits>;

  explicit RecordAppender(Blocks& blocks) noexcept
      : blocks_(blocks), next_(blocks.first_), end_(blocks.first_ + Blocks::kFirstBlock) {}

  /// A new record at the end, uninitialised; its index is the size before the call.
  Record* append() {
    if (next_ == end_)
      grow();
    ++blocks_.size_;
    return next_++;
  }

  /// A record already appended, to be completed.
  Record& at(std::uint32_t index) noexcept { return const_cast<Record&>(blocks_[index]); }

  static void release(Blocks& blocks) noexcept {
    for (unsigned k = 1; k < Blocks::kMaxBlocks && blocks.blocks_[k] != nullptr; ++k)
      ::operator delete(blocks.blocks_[k]);
  }

 private:
  void grow() {
    const unsigned k = block_ + 1;
    if (k >= Blocks::kMaxBlocks)
      throw std::bad_alloc();
    const std::size_t count = std::size_t{Blocks::kFirstBlock} << k;
    blocks_.blocks_[k] = static_cast<Record*>(::operator new(count * sizeof(Record)));
    block_ = k;
    next_ = blocks_.blocks_[k];
    end_ = next_ + count;
  }

  Blocks& blocks_;
  Record* next_;
  Record* end_;
  unsigned block_ = 0;
};

/// The bytes of the line end at p: 2 for CR LF, 1 for LF or a CR on its own, 0 for none. The
/// text's terminating NUL may follow p.
inline std::size_t lineEndLength(const char* p) noexcept {
  if (*p == '\n')
    return 1;
  return *p == '\r' ? (p[1] == '\n' ? 2 : 1) : 0;
}

/// Line and column of the byte at offset in text (NUL-terminated), counting line ends from
/// lineStart, which begins line `line`.
inline std::pair<int, int> lineAndColumnIn(std::string_view text, std::size_t offset,
                                           std::size_t line, std::size_t lineStart) {
  for (std::size_t i = lineStart; i < offset && i < text.size(); ++i) {
    const std::size_t length = lineEndLength(text.data() + i);
    if (length != 0 && i + length <= offset) {  // a line end before offset, whole
      i += length - 1;
      ++line;
      lineStart = i + 1;
    }
  }
  return {static_cast<int>(line), static_cast<int>(offset - lineStart + 1)};
}

struct Tree : TreeView {
  Tree() = default;
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;
  ~Tree() {
    RecordAppender<ElementRecord, 5>::release(elements);
    RecordAppender<AttributeRecord, 6>::release(attributes);
    RecordAppender<TextPiece, 4>::release(pieces);
  }

  /// The text the records point into (`text` is its data()): never reallocated once reading has
  /// begun.
  std::string buffer;
  /// Offsets at which lines begin, in order: 0, and one past every line end (LF, CR LF, or a CR
  /// on its own), as reading passed them. A small document's lines fit inside the tree.
  InlineStack<std::uint32_t, 64> lineStarts;

  /// Line and column (counted from 1, columns in bytes) of the byte at offset, which reading has
  /// passed or just reached: every line end before it is recorded. (The bytes themselves are no
  /// guide, since reading rewrites them: "&#10;" becomes a line feed.)
  std::pair<int, int> lineAndColumn(std::size_t offset) const {
    const std::uint32_t* next = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    const auto line = static_cast<std::size_t>(next - lineStarts.begin());
    return {static_cast<int>(line), static_cast<int>(offset - lineStarts[line - 1] + 1)};
  }
};

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_TREE_HXX
