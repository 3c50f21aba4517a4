// The namespace bindings in scope while a document is read, and the rules of Namespaces in
// XML 1.0 for declaring them (not installed).
#ifndef VARNICORE_SRC_READER_NAMESPACES_HXX
#define VARNICORE_SRC_READER_NAMESPACES_HXX

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "../InlineStack.hxx"
#include "../SameBytes.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

class NamespaceScope {
 public:
  /// What resolve gives for a prefix bound to nothing.
  static constexpr std::uint32_t kUnbound = 0xFFFFFFFFu;

  /// Namespace names go to `names`, where index 0 is no namespace and index 1 the XML
  /// namespace; the views must stay valid as long as `names`.
  explicit NamespaceScope(std::vector<std::string_view>& names);

  /// Binds prefix (empty: the default namespace) to uri for the element being read. Returns ""
  /// or why the declaration is not allowed.
  std::string declare(std::string_view prefix, std::string_view uri);

  /// The index of the namespace name prefix (not empty) stands for; kUnbound when it stands for
  /// none. Looked up for every prefixed name. Documents mostly declare a few prefixes: those are
  /// searched, the nearest first; many bindings (say, one on each of ten thousand nested
  /// elements) are found through a table, so that no document makes reading quadratic.
  std::uint32_t resolve(std::string_view prefix) const noexcept {
    if (many_)
      return resolveMany(prefix);
    for (std::size_t i = bindings_.size(); i-- > 0;) {
      if (sameName(bindings_[i].prefix, prefix))
        return bindings_[i].uri;
    }
    return prefix == "xml" ? 1 : kUnbound;
  }
  /// The index of the default namespace; 0 when there is none.
  std::uint32_t defaultNamespace() const noexcept { return default_; }

  /// Where the bindings of an element begin, to be handed to close when it ends.
  std::uint32_t mark() const noexcept { return static_cast<std::uint32_t>(bindings_.size()); }
  void close(std::uint32_t mark) noexcept {
    if (bindings_.size() > mark)
      unbind(mark);
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  // Beyond this many bindings, prefixes are looked up in nearest_.
  static constexpr std::size_t kSearched = 8;

  struct Binding {
    std::string_view prefix;  // empty: the default namespace
    std::uint32_t uri;
    // What the binding hides while it is in scope: for the default namespace, the index of the
    // namespace name it replaces; for a prefix, once many_, the index of the binding of the same
    // prefix further out (kNone for none).
    std::uint32_t shadowed;
  };

  std::uint32_t resolveMany(std::string_view prefix) const noexcept;
  void useTable();
  void bind(std::string_view prefix, std::uint32_t uri);
  void unbind(std::uint32_t mark) noexcept;

  std::vector<std::string_view>& names_;
  // A typical document's declarations fit inside the scope.
  InlineStack<Binding, 16> bindings_;
  std::uint32_t default_ = 0;
  // Once there have been many bindings (many_): each prefix's nearest binding, by index in
  // bindings_.
  bool many_ = false;
  std::unordered_map<std::string_view, std::uint32_t> nearest_;
};

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_NAMESPACES_HXX
