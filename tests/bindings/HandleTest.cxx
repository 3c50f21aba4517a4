// Facades are handles: copies share one object, counted in the object itself.
#include <vector>

#include <gtest/gtest.h>

#include "Fixtures.hxx"

namespace {

using namespace BindingTest;
using Corvanthel::Soa::Common::Xml::Handle;

TEST(HandleTest, CopiesShareTheObject) {
  Sq::SavedQueryObject original = savedQuery("Mine");
  Sq::SavedQueryObject copy(original);
  Sq::SavedQueryObject assigned;
  assigned = original;
  std::vector<Sq::SavedQueryObject> list{original};
  EXPECT_EQ(refCount(original), 4);

  copy.setName("renamed");
  assigned.getQuery().setUid("changed");
  EXPECT_EQ(original.getName(), "renamed");
  EXPECT_EQ(list.front().getQuery().getUid(), "changed");

  list.clear();
  EXPECT_EQ(refCount(original), 3);
}

TEST(HandleTest, AssigningTheSameObjectKeepsTheCount) {
  Sq::ExecuteSavedQueryInput input = executeInput();
  Sq::ExecuteSavedQueryInput copy(input);
  const Sq::ExecuteSavedQueryInput& same = input;
  input = same;
  input = copy;
  copy = input;
  EXPECT_EQ(refCount(input), 2);

  // The same through a child field, also when a setter is handed the field itself.
  Base::ModelObject& query = input.getQuery();
  const Base::ModelObject& sameQuery = query;
  query = sameQuery;
  input.setQuery(input.getQuery());
  EXPECT_EQ(refCount(input.getQuery()), 1);
  EXPECT_EQ(input.getQuery().getUid(), "Qr34");
}

TEST(HandleTest, AssigningReleasesTheOldObject) {
  Sq::SavedQueryObject first = savedQuery("first");
  Sq::SavedQueryObject second = savedQuery("second");
  Sq::SavedQueryObject holder(first);
  holder = second;
  EXPECT_EQ(refCount(first), 1);
  EXPECT_EQ(refCount(second), 2);
  EXPECT_EQ(holder.getName(), "second");
}

#if !VARNICORE_REDUCED_PROFILE

TEST(HandleTest, EnsureUnSharedGivesASharedFacadeItsOwnCopy) {
  Sq::SavedQueryObject original = savedQuery("Shared");
  Sq::SavedQueryObject copy(original);
  copy.ensureUnShared();
  EXPECT_NE(objectOf(copy), objectOf(original));
  EXPECT_EQ(refCount(original), 1);
  EXPECT_EQ(refCount(copy), 1);

  copy.setName("private");
  EXPECT_EQ(original.getName(), "Shared");
  EXPECT_EQ(copy.getDescription(), original.getDescription());

  // The copy is shallow: the child objects are still shared.
  EXPECT_EQ(objectOf(copy.getQuery()), objectOf(original.getQuery()));
  EXPECT_EQ(refCount(original.getQuery()), 2);
  copy.getQuery().setUid("seen by both");
  EXPECT_EQ(original.getQuery().getUid(), "seen by both");

  // List entries are shared the same way.
  Sq::GetSavedQueriesResponse response = getResponse();
  Sq::GetSavedQueriesResponse responseCopy(response);
  responseCopy.ensureUnShared();
  responseCopy.addQuerie(savedQuery("only in the copy"));
  EXPECT_EQ(response.getQuerieArray().size(), 2u);
  EXPECT_EQ(objectOf(responseCopy.getQuerieArray()[0]), objectOf(response.getQuerieArray()[0]));
}

TEST(HandleTest, EnsureUnSharedOnAnUnsharedFacadeKeepsItsObject) {
  Sq::ExecuteSavedQueryInput input = executeInput();
  const void* before = objectOf(input);
  input.ensureUnShared();
  EXPECT_EQ(objectOf(input), before);
  EXPECT_EQ(refCount(input), 1);
  EXPECT_EQ(input.getLimit(), 25);
}

TEST(HandleTest, AnEmptyHandleCanBeCopiedAssignedAndDestroyed) {
  Handle<Sq::SavedQueryObjectImpl> empty;
  Handle<Sq::SavedQueryObjectImpl> copy(empty);
  copy = empty;
  copy.ensureUnShared();

  Sq::SavedQueryObject query = savedQuery("held");
  Handle<Sq::SavedQueryObjectImpl> holder(query);
  EXPECT_EQ(refCount(query), 2);
  holder = empty;
  EXPECT_EQ(refCount(query), 1);
  holder = query;
  EXPECT_EQ(refCount(query), 2);
}

#endif  // !VARNICORE_REDUCED_PROFILE

}  // namespace
