// Flat: generated from ../tests/compiler/coverage/Coverage.xsd by the schema compiler. Do not edit.
#ifndef PELAGON_TEST_2009_01_COVERAGE_FLAT_HXX
#define PELAGON_TEST_2009_01_COVERAGE_FLAT_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/runtime/Binding.hxx>
#include <pelagon/runtime/Export.hxx>
#include <varnicore/DateTime.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 1,
              "Flat.hxx was generated for binding runtime 0.1.0, reduced profile, not "
              "for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Test {
namespace _2009_01 {
namespace Coverage {

/// The fields of Flat; held and shared through Flat handles.
class PELAGON_API FlatImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  FlatImpl();
  FlatImpl(const std::string& defaultValue, int count, ::Corvanthel::Soa::Common::DateTime when,
           ::Corvanthel::Soa::Common::DateTime stamp);
  FlatImpl(const FlatImpl& other);
  FlatImpl& operator=(const FlatImpl&) = delete;
  ~FlatImpl() override;

  std::string& getDefault() { return default_; }
  const std::string& getDefault() const { return default_; }
  void setDefault(const std::string& value) { default_ = value; }
  int getCount() const { return count_; }
  void setCount(int value) { count_ = value; }
  ::Corvanthel::Soa::Common::DateTime getWhen() const { return when_; }
  void setWhen(::Corvanthel::Soa::Common::DateTime value) { when_ = value; }
  ::Corvanthel::Soa::Common::DateTime getStamp() const { return stamp_; }
  void setStamp(::Corvanthel::Soa::Common::DateTime value) { stamp_ = value; }

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
  FlatImpl* reallyClone() const override;

 private:
  std::string default_;
  int count_ = 0;
  ::Corvanthel::Soa::Common::DateTime when_;
  ::Corvanthel::Soa::Common::DateTime stamp_;
};

/// Attributes only.
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class PELAGON_API Flat : public ::Corvanthel::Soa::Common::Xml::Handle<FlatImpl> {
 public:
  Flat();
  Flat(const std::string& defaultValue, int count, ::Corvanthel::Soa::Common::DateTime when,
       ::Corvanthel::Soa::Common::DateTime stamp);
  Flat(const Flat& other) = default;
  Flat& operator=(const Flat& other) = default;
  ~Flat() override;

  /// A string attribute.
  std::string& getDefault() { return getHandleObject().getDefault(); }
  const std::string& getDefault() const { return getHandleObject().getDefault(); }
  void setDefault(const std::string& value) { getHandleObject().setDefault(value); }
  int getCount() const { return getHandleObject().getCount(); }
  void setCount(int value) { getHandleObject().setCount(value); }
  ::Corvanthel::Soa::Common::DateTime getWhen() const { return getHandleObject().getWhen(); }
  void setWhen(::Corvanthel::Soa::Common::DateTime value) { getHandleObject().setWhen(value); }
  ::Corvanthel::Soa::Common::DateTime getStamp() const { return getHandleObject().getStamp(); }
  void setStamp(::Corvanthel::Soa::Common::DateTime value) { getHandleObject().setStamp(value); }

  /// Writes this object as one element named elementName.
  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const {
    getHandleObject().outputXML(stream, elementName);
  }
  /// Fills this object from an element; lists are appended to, single children parsed in
  /// place. Throws Exceptions::DomException for a child element it does not expect.
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node) { getHandleObject().parse(node); }
#if PELAGON_HAS_VALIDATION
  /// Checks that element and everything below it are valid against the schema type Flat:
  /// its attributes, its child elements in order and in their namespaces, and every value
  /// (see "Validating messages" in the README). Its own name is not looked at. Throws
  /// Exceptions::DomException, with the place, at the first fault in document order; reads the
  /// tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
#endif
};

}  // namespace Coverage
}  // namespace _2009_01
}  // namespace Test
}  // namespace Schemas
}  // namespace Corvanthel

extern template class ::Corvanthel::Soa::Common::Xml::Handle<
    ::Corvanthel::Schemas::Test::_2009_01::Coverage::FlatImpl>;

#endif  // PELAGON_TEST_2009_01_COVERAGE_FLAT_HXX
