// What each build profile offers, checked at compile time: the full profile has the allocation
// operators, namespace collection, clone and the handle's default constructor and
// ensureUnShared; the reduced profile has none of them and a public reallyClone instead.
#include <cstddef>
#include <set>
#include <string>
#include <type_traits>
#include <utility>

#include <gtest/gtest.h>

#include <pelagon/pelagon.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
class MemoryManager;  // complete only where the runtime has one
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

namespace {

namespace Savedquery = Corvanthel::Schemas::Query::_2006_03::Savedquery;
namespace Base = Corvanthel::Schemas::Soa::_2006_03::Base;
using Corvanthel::Soa::Common::Xml::BaseObject;
using Corvanthel::Soa::Common::Xml::Handle;
using Corvanthel::Soa::Common::Xml::XmlStream;

template <class T, class = void>
struct IsComplete : std::false_type {};
template <class T>
struct IsComplete<T, std::void_t<decltype(sizeof(T))>> : std::true_type {};

template <class T, class = void>
struct HasOwnOperatorNew : std::false_type {};
template <class T>
struct HasOwnOperatorNew<T, std::void_t<decltype(T::operator new (std::size_t{}))>>
    : std::true_type {};

template <class T, class = void>
struct HasOwnOperatorDelete : std::false_type {};
template <class T>
struct HasOwnOperatorDelete<T, std::void_t<decltype(T::operator delete(nullptr))>>
    : std::true_type {};

template <class T, class = void>
struct HasGetNamespaces : std::false_type {};
template <class T>
struct HasGetNamespaces<T, std::void_t<decltype(std::declval<const T&>().getNamespaces(
                               std::declval<std::set<std::string>&>()))>> : std::true_type {};

template <class T, class = void>
struct HasEnsureUnShared : std::false_type {};
template <class T>
struct HasEnsureUnShared<T, std::void_t<decltype(std::declval<T&>().ensureUnShared())>>
    : std::true_type {};

template <class T, class = void>
struct HasPublicReallyClone : std::false_type {};
template <class T>
struct HasPublicReallyClone<T, std::void_t<decltype(std::declval<const T&>().reallyClone())>>
    : std::true_type {};

template <class T, class = void>
struct HasClone : std::false_type {};
template <class T>
struct HasClone<T, std::void_t<decltype(std::declval<const T&>().clone())>> : std::true_type {};

template <class T, class = void>
struct HasAddNamespaces : std::false_type {};
template <class T>
struct HasAddNamespaces<
    T, std::void_t<decltype(std::declval<T&>().addNamespaces(std::set<std::string>()))>>
    : std::true_type {};

// Every member a profile decides on, for a facade F over implementation I.
template <class F, class I, bool full>
constexpr bool profileHolds() {
  return HasOwnOperatorNew<F>::value == full && HasOwnOperatorNew<I>::value == full &&
         HasOwnOperatorDelete<F>::value == full && HasOwnOperatorDelete<I>::value == full &&
         HasGetNamespaces<F>::value == full && HasGetNamespaces<I>::value == full &&
         HasEnsureUnShared<F>::value == full &&
         std::is_default_constructible<Handle<I>>::value == full &&
         HasPublicReallyClone<I>::value == !full;
}

constexpr bool kFull = !VARNICORE_REDUCED_PROFILE;

static_assert(IsComplete<Corvanthel::Soa::Common::MemoryManager>::value == kFull);
static_assert(HasClone<BaseObject>::value == kFull);
static_assert(HasAddNamespaces<XmlStream>::value == kFull);
static_assert(
    profileHolds<Savedquery::SavedQueryObject, Savedquery::SavedQueryObjectImpl, kFull>());
static_assert(
    profileHolds<Savedquery::GetSavedQueriesInput, Savedquery::GetSavedQueriesInputImpl, kFull>());
static_assert(profileHolds<Base::ModelObject, Base::ModelObjectImpl, kFull>());
static_assert(profileHolds<Base::ServiceData, Base::ServiceDataImpl, kFull>());

// Both profiles: facades are default-constructible, copyable and write and read themselves.
static_assert(std::is_default_constructible<Savedquery::SavedQueryObject>::value);
static_assert(std::is_copy_assignable<Savedquery::SavedQueryObject>::value);

TEST(ProfileTest, NamespaceIsSetWhicheverWayTheProfileBuildsIt) {
  const Savedquery::SavedQueryObject query("n", "d", Base::ModelObject("u", "t"));
  XmlStream stream;
  query.outputXML(stream, "SavedQueryObject");
  const std::string uri = std::string(Corvanthel::Soa::Common::Xml::kSchemaNamespaceBase) +
                          "/Schemas/Query/2006-03/SavedQuery";
  EXPECT_NE(stream.str().find("xmlns=\"" + uri + "\""), std::string::npos) << stream.str();
}

}  // namespace
