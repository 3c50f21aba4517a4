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
}

std::string NamespaceScope::declare(std::string_view prefix, std::string_view uri) {
  const auto quoted = [uri] { return "\"" + shown(uri) + "\""; };
  if (prefix.empty()) {
    if (uri == kXmlNamespace || uri == kXmlnsNamespace)
      return "The namespace " + quoted() + " cannot be the default namespace";
    const auto index = uri.empty() ? 0 : static_cast<std::uint32_t>(names_.size());
    if (!uri.empty())
      names_.push_back(uri);
    if (!many_ && bindings_.size() >= kSearched)
      useTable();
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
  bind(prefix, static_cast<std::uint32_t>(names_.size()));
  names_.push_back(uri);
  return {};
}

// From now on prefixes are looked up in the table: the bindings so far go into it, in order.
void NamespaceScope::useTable() {
  many_ = true;
  for (std::uint32_t i = 0; i < bindings_.size(); ++i) {
    Binding& binding = bindings_[i];
    if (binding.prefix.empty())
      continue;
    const auto [place, added] = nearest_.try_emplace(binding.prefix, i);
    binding.shadowed = added ? kNone : place->second;
    place->second = i;
  }
}

void NamespaceScope::bind(std::string_view prefix, std::uint32_t uri) {
  if (!many_ && bindings_.size() >= kSearched)
    useTable();
  std::uint32_t shadowed = kNone;
  if (many_) {
    const auto index = static_cast<std::uint32_t>(bindings_.size());
    const auto [place, added] = nearest_.try_emplace(prefix, index);
    shadowed = added ? kNone : place->second;
    place->second = index;
  }
  bindings_.push_back({prefix, uri, shadowed});
}

std::uint32_t NamespaceScope::resolveMany(std::string_view prefix) const noexcept {
  const auto found = nearest_.find(prefix);
  if (found != nearest_.end())
    return bindings_[found->second].uri;
  return prefix == "xml" ? 1 : kUnbound;
}

void NamespaceScope::unbind(std::uint32_t mark) noexcept {
  while (bindings_.size() > mark) {
    const Binding& binding = bindings_.back();
    if (binding.prefix.empty()) {
      default_ = binding.shadowed;
    } else if (many_) {
      if (binding.shadowed == kNone)
        nearest_.erase(binding.prefix);
      else
        nearest_[binding.prefix] = binding.shadowed;
    }
    bindings_.pop_back();
  }
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
