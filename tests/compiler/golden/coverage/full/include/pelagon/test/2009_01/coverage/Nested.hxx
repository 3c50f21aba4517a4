// Nested: generated from ../tests/compiler/coverage/Coverage.xsd by the schema compiler. Do not
// edit.
#ifndef PELAGON_TEST_2009_01_COVERAGE_NESTED_HXX
#define PELAGON_TEST_2009_01_COVERAGE_NESTED_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/runtime/Binding.hxx>
#include <pelagon/runtime/Export.hxx>
#include <pelagon/test/2009_01/coverage/Flat.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 0,
              "Nested.hxx was generated for binding runtime 0.1.0, full profile, not "
              "for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Test {
namespace _2009_01 {
namespace Coverage {

/// The fields of Nested; held and shared through Nested handles.
class PELAGON_API NestedImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  NestedImpl();
  NestedImpl(const NestedImpl& other);
  NestedImpl& operator=(const NestedImpl&) = delete;
  ~NestedImpl() override;

  const std::vector<Flat>& getFlatArray() const { return flats_; }
  void setFlatArray(const std::vector<Flat>& values) { flats_ = values; }
  void addFlat(const Flat& value) { flats_.push_back(value); }
  const std::vector<std::string>& getNameArray() const { return names_; }
  void setNameArray(const std::vector<std::string>& values) { names_ = values; }
  void addName(const std::string& value) { names_.push_back(value); }
  const std::vector<int>& getNumberArray() const { return numbers_; }
  void setNumberArray(const std::vector<int>& values) { numbers_ = values; }
  void addNumber(const int& value) { numbers_.push_back(value); }

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
  void getNamespaces(std::set<std::string>& namespaces) const;

  PELAGON_ALLOCATION_MEMBERS;

 protected:
  NestedImpl* reallyClone() const override;

 private:
  std::vector<Flat> flats_;
  std::vector<std::string> names_;
  std::vector<int> numbers_;
};

/// The schema type Nested.
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class PELAGON_API Nested : public ::Corvanthel::Soa::Common::Xml::Handle<NestedImpl> {
 public:
  Nested();
  Nested(const Nested& other) = default;
  Nested& operator=(const Nested& other) = default;
  ~Nested() override;

  const std::vector<Flat>& getFlatArray() const { return getHandleObject().getFlatArray(); }
  void setFlatArray(const std::vector<Flat>& values) { getHandleObject().setFlatArray(values); }
  void addFlat(const Flat& value) { getHandleObject().addFlat(value); }
  const std::vector<std::string>& getNameArray() const { return getHandleObject().getNameArray(); }
  void setNameArray(const std::vector<std::string>& values) {
    getHandleObject().setNameArray(values);
  }
  void addName(const std::string& value) { getHandleObject().addName(value); }
  const std::vector<int>& getNumberArray() const { return getHandleObject().getNumberArray(); }
  void setNumberArray(const std::vector<int>& values) { getHandleObject().setNumberArray(values); }
  void addNumber(const int& value) { getHandleObject().addNumber(value); }

  /// Writes this object as one element named elementName.
  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const {
    getHandleObject().outputXML(stream, elementName);
  }
  /// Fills this object from an element; lists are appended to, single children parsed in
  /// place. Throws Exceptions::DomException for a child element it does not expect.
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node) { getHandleObject().parse(node); }
#if PELAGON_HAS_VALIDATION
  /// Checks that element and everything below it are valid against the schema type Nested:
  /// its attributes, its child elements in order and in their namespaces, and every value
  /// (see "Validating messages" in the README). Its own name is not looked at. Throws
  /// Exceptions::DomException, with the place, at the first fault in document order; reads the
  /// tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
#endif
  /// Adds the namespaces that writing this object needs (a list contributes its first
  /// entry's only).
  void getNamespaces(std::set<std::string>& namespaces) const {
    getHandleObject().getNamespaces(namespaces);
  }

  PELAGON_ALLOCATION_MEMBERS;
};

}  // namespace Coverage
}  // namespace _2009_01
}  // namespace Test
}  // namespace Schemas
}  // namespace Corvanthel

extern template class ::Corvanthel::Soa::Common::Xml::Handle<
    ::Corvanthel::Schemas::Test::_2009_01::Coverage::NestedImpl>;

#endif  // PELAGON_TEST_2009_01_COVERAGE_NESTED_HXX
