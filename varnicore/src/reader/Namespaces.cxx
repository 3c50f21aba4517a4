#include "Namespaces.hxx"

#include "Failure.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

NamespaceScope::NamespaceScope(std::vector<std::string_view>& names) : names_(names) {
  names_.reserve(8);
  names_.assign({std::string_view(), kXmlNamespace});
  bindings_.reserve(16);
}

std::string NamespaceScope::declare(std::string_view prefix, std::string_view uri) {
  const auto quoted = [uri] { return "\"" + shown(uri) + "\""; };
  if (prefix.empty()) {
    if (uri == kXmlNamespace || uri == kXmlnsNamespace)
      return "The namespace " + quoted() + " cannot be the default namespace";
    const auto index = uri.empty() ? 0 : static_cast<std::uint32_t>(names_.size());
    if (!uri.empty())
      names_.push_back(uri);
    bindings_.push_back({prefix, index, default_});
    default_ = index;
    return {};
  }
  if (prefix == "xmlns")
    return "The prefix xmlns cannot be declared";
  if (prefix == "xml") {
    // May be declared, to the namespace it is bound to anyway.
    return uri == kXmlNamespace ? std::string()
                                : "The prefix xml cannot be bound to any namespace but " +
                                      std::string(kXmlNamespace);
  }
  if (uri.empty()) {
    return "The prefix " + shown(prefix) +
           " cannot be declared empty: Namespaces in XML 1.0 has no undeclaring of prefixes";
  }
  if (uri == kXmlNamespace)
    return "The namespace " + quoted() + " can be bound to the prefix xml only";
  if (uri == kXmlnsNamespace)
    return "The namespace " + quoted() + " cannot be declared";
  bindings_.push_back({prefix, static_cast<std::uint32_t>(names_.size()), 0});
  names_.push_back(uri);
  return {};
}

void NamespaceScope::unbind(std::uint32_t mark) noexcept {
  while (bindings_.size() > mark) {
    if (bindings_.back().prefix.empty())
      default_ = bindings_.back().shadowed;
    bindings_.pop_back();
  }
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
