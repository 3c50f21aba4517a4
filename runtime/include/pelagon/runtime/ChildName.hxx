// The qualified names of the child elements that generated code writes.
#ifndef PELAGON_RUNTIME_CHILDNAME_HXX
#define PELAGON_RUNTIME_CHILDNAME_HXX

#include <cstddef>
#include <string>
#include <string_view>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Binding {

/// The strings of the ChildNames being written on this thread, one per level of nesting up to
/// kLevels. They stay with the thread, so that their storage serves every later write: a prefix
/// and a name are often longer than a string holds without storage of its own, and each object
/// with children would otherwise allocate one.
class ChildNames {
 public:
  static constexpr std::size_t kLevels = 16;

  static ChildNames& ofThread() {
    // The default model of thread-local storage, not initial-exec: the library may be opened
    // after start-up.
    static thread_local ChildNames names;
    return names;
  }

  /// The string of the next level, or null when nesting is deeper than kLevels; a string taken
  /// is given back, the deepest first.
  std::string* take() noexcept { return depth_ < kLevels ? &strings_[depth_++] : nullptr; }
  void give() noexcept { --depth_; }

 private:
  std::string strings_[kLevels];
  std::size_t depth_ = 0;
};

/// The qualified names of an element's children: the prefix and a colon, then the XML name of
/// the child being written, in one string whose storage serves them all. Names that fit a
/// string's own buffer are made in a string of the ChildName's own; longer ones in the thread's
/// (a write of FindWorkspaceObjectsResponse.xml makes 3 allocations fewer that way).
class ChildName {
 public:
  ChildName(std::string&& prefix, std::size_t longestName) {
    const std::size_t size = prefix.size() + 1 + longestName;
    if (size > own_.capacity()) {
      ChildNames& names = ChildNames::ofThread();
      if (std::string* taken = names.take()) {
        threadNames_ = &names;
        name_ = taken;
      }
    }
    try {
      if (name_ == &own_)
        own_ = std::move(prefix);
      else
        name_->assign(prefix);
      *name_ += ':';
      prefix_ = name_->size();
      name_->reserve(size);
    } catch (...) {
      giveBack();
      throw;
    }
  }
  ChildName(const ChildName&) = delete;
  ChildName& operator=(const ChildName&) = delete;
  ~ChildName() { giveBack(); }

  const std::string& operator()(std::string_view xmlName) {
    name_->resize(prefix_);
    name_->append(xmlName);
    return *name_;
  }

 private:
  void giveBack() noexcept {
    if (threadNames_ != nullptr)
      threadNames_->give();
  }

  std::string own_;
  std::string* name_ = &own_;          // own_, or the thread's string for this level
  ChildNames* threadNames_ = nullptr;  // the thread's, when name_ is one of its strings
  std::size_t prefix_ = 0;
};

}  // namespace Binding
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // PELAGON_RUNTIME_CHILDNAME_HXX
