// Empty: generated from ../tests/compiler/coverage/Coverage.xsd by the schema compiler. Do not
// edit.
#ifndef PELAGON_TEST_2009_01_COVERAGE_EMPTY_HXX
#define PELAGON_TEST_2009_01_COVERAGE_EMPTY_HXX

#include <set>
#include <string>
#include <vector>

#include <pelagon/runtime/Binding.hxx>
#include <pelagon/runtime/Export.hxx>

static_assert(PELAGON_BINDING_VERSION_MAJOR == 0 && PELAGON_BINDING_VERSION_MINOR == 1 &&
                  PELAGON_BINDING_VERSION_PATCH == 0 && PELAGON_BINDING_REDUCED == 1,
              "Empty.hxx was generated for binding runtime 0.1.0, reduced profile, not "
              "for " PELAGON_BINDING_RUNTIME "; regenerate it");

namespace Corvanthel {
namespace Schemas {
namespace Test {
namespace _2009_01 {
namespace Coverage {

/// The fields of Empty; held and shared through Empty handles.
class PELAGON_API EmptyImpl : public ::Corvanthel::Soa::Common::Xml::BaseObject {
 public:
  EmptyImpl();
  EmptyImpl(const EmptyImpl& other);
  EmptyImpl& operator=(const EmptyImpl&) = delete;
  ~EmptyImpl() override;

  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const;
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node);
  EmptyImpl* reallyClone() const override;
};

/// The schema type Empty.
///
/// As a message, every field filled (`pelagon sample --indent 2`):
/// \verbinclude coverage_2009-01/Empty.xml
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class PELAGON_API Empty : public ::Corvanthel::Soa::Common::Xml::Handle<EmptyImpl> {
 public:
  Empty();
  Empty(const Empty& other) = default;
  Empty& operator=(const Empty& other) = default;
  ~Empty() override;

  /// Writes this object as one element named elementName.
  void outputXML(::Corvanthel::Soa::Common::Xml::XmlStream& stream,
                 const std::string& elementName) const {
    getHandleObject().outputXML(stream, elementName);
  }
  /// Fills this object from an element; lists are appended to, single children parsed in
  /// place. Throws Exceptions::DomException for a child element it does not expect.
  void parse(const ::Corvanthel::Soa::Common::Xml::XMLNode& node) { getHandleObject().parse(node); }
#if PELAGON_HAS_VALIDATION
  /// Checks that element and everything below it are valid against the schema type Empty:
  /// its attributes, its child elements in order and in their namespaces, and every value
  /// (see "Validating messages" in the README). Its own name is not looked at. Throws
  /// Exceptions::DomException, with the place, at the first fault in document order; reads the
  /// tree only, so it may run before parse, or instead of it.
  static void validate(const ::Corvanthel::Soa::Common::Xml::XMLNode& element);
  /// Checks that document is a valid Empty message: its root element is "Empty" in the
  /// namespace of this schema, valid as validate() checks.
  static void validateDocument(const ::Corvanthel::Soa::Common::Xml::XMLDocument& document);
#endif
};

}  // namespace Coverage
}  // namespace _2009_01
}  // namespace Test
}  // namespace Schemas
}  // namespace Corvanthel

extern template class ::Corvanthel::Soa::Common::Xml::Handle<
    ::Corvanthel::Schemas::Test::_2009_01::Coverage::EmptyImpl>;

#endif  // PELAGON_TEST_2009_01_COVERAGE_EMPTY_HXX
