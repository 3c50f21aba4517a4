// How a parsed document lays out its elements and attributes, for the accessors of XMLNode that
// are inlined into their callers. Not for direct use: the layout may change with any release, and
// generated code and applications reach it only through XMLNode.
#ifndef VARNICORE_XMLTREE_HXX
#define VARNICORE_XMLTREE_HXX

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// One element. Offsets count bytes from the start of the document's text, indexes count records
/// in document order (the root is element 0, and an element's first child, when it has one, is
/// the element right after it).
struct ElementRecord {
  std::uint32_t name;            ///< offset of the qualified name, right after the '<'
                                 ///< that opens the start tag
  std::uint32_t nameLength;      ///< in bytes
  std::uint32_t localName;       ///< where the local name starts within the qualified name
  std::uint32_t parent;          ///< index; meaningless for the root
  std::uint32_t nextSibling;     ///< index of the next sibling element; 0 when there is none
  std::uint32_t childCount;      ///< child elements
  std::uint32_t firstAttribute;  ///< index of the first attribute record
  std::uint32_t attributeCount;  ///< attributes, namespace declarations included
  std::uint32_t text;            ///< offset of the first piece of the element's own text
  std::uint32_t textLength;      ///< its length; 0 when the element has no text
  std::uint32_t moreText;        ///< index of the next piece of text; 0 when there is none
  std::uint32_t namespaceUri;    ///< index of the element's namespace name; 0: no namespace
};

/// One attribute: its qualified name as written, its value after normalisation.
struct AttributeRecord {
  std::uint32_t name;
  std::uint32_t nameLength;
  std::uint32_t value;
  std::uint32_t valueLength;
};

/// A run of an element's text after the first: text that follows a child element.
struct TextPiece {
  std::uint32_t text;
  std::uint32_t length;
  std::uint32_t next;  ///< the element's next piece; 0 when there is none
};

template <class Record, unsigned kFirstBits>
class RecordAppender;

/// Records in blocks that never move: block k holds (1 << kFirstBits) << k records, so that a
/// document of any size takes a few allocations, a small one none beyond the tree itself (the
/// first block is part of this object), and records keep their addresses while the tree grows.
template <class Record, unsigned kFirstBits>
class RecordBlocks {
 public:
  static constexpr std::uint32_t kFirstBlock = 1u << kFirstBits;
  static constexpr unsigned kMaxBlocks = 33 - kFirstBits;

  RecordBlocks() noexcept { blocks_[0] = first_; }
  RecordBlocks(const RecordBlocks&) = delete;
  RecordBlocks& operator=(const RecordBlocks&) = delete;

  const Record& operator[](std::uint32_t index) const noexcept {
    const std::uint64_t shifted = std::uint64_t{index} + kFirstBlock;
    const unsigned top = 63u - static_cast<unsigned>(__builtin_clzll(shifted));
    return blocks_[top - kFirstBits][shifted - (std::uint64_t{1} << top)];
  }
  std::uint32_t size() const noexcept { return size_; }

  /// The count records from index on as one array when they lie in one block (as all but a few
  /// runs do); null when they do not.
  const Record* run(std::uint32_t index, std::uint32_t count) const noexcept {
    const std::uint64_t first = std::uint64_t{index} + kFirstBlock;
    const std::uint64_t last = first + count - 1;
    if (count == 0 || __builtin_clzll(first) != __builtin_clzll(last))
      return nullptr;  // the blocks are the powers of two that the shifted indexes fall between
    return &(*this)[index];
  }

 private:
  friend class RecordAppender<Record, kFirstBits>;

  Record* blocks_[kMaxBlocks] = {};
  std::uint32_t size_ = 0;
  Record first_[kFirstBlock];
};

/// What XMLNode reads directly.
struct TreeView {
  const char* text = nullptr;  ///< the document's text as UTF-8, rewritten in place
  RecordBlocks<ElementRecord, 5> elements;
  RecordBlocks<AttributeRecord, 6> attributes;
  /// Index 0 stands for no piece.
  RecordBlocks<TextPiece, 4> pieces;
  /// The namespace names that elements refer to, one per declaration (views into the text);
  /// index 0 is no namespace.
  std::vector<std::string_view> namespaces;
};

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_XMLTREE_HXX
