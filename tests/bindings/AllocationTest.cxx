// Every schema object is allocated through the installed MemoryManager, under its class name.
#include <cstdlib>
#include <map>
#include <new>
#include <string>

#include <gtest/gtest.h>

#include "Fixtures.hxx"

namespace {

using namespace BindingTest;
using Corvanthel::Soa::Common::MemoryManager;
using Corvanthel::Soa::Common::Xml::TryingToCreateNullHandle;

/// Keeps the live allocations with their tags. Lets `remaining` allocations succeed (all when
/// negative) and returns null for the rest.
class RecordingManager : public MemoryManager {
 public:
  void* allocate(std::size_t size, const char* tag) override {
    if (remaining == 0)
      return nullptr;
    if (remaining > 0)
      --remaining;
    void* p = std::malloc(size);
    live[p] = tag;
    return p;
  }
  void deallocate(void* p) override {
    if (live.erase(p) == 0) {
      ++foreign;
      ::operator delete(p);
      return;
    }
    std::free(p);
  }
  void* placementallocate(std::size_t, void* place) override {
    ++placements;
    return place;
  }
  void placementdeallocate(void*, void*) override {}

  int liveWith(const std::string& tag) const {
    int n = 0;
    for (const auto& entry : live)
      n += entry.second == tag;
    return n;
  }

  std::map<void*, std::string> live;
  int remaining = -1;
  int foreign = 0;  // releases of memory this manager did not hand out
  int placements = 0;
};

const std::string kSavedQueryImpl = kQueryPrefix + "SavedQueryObjectImpl";
const std::string kModelObjectImpl = kBasePrefix + "ModelObjectImpl";

// Installs the recorder for the test and restores the previous manager after it; the objects of
// the test body are gone by then.
class AllocationTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = MemoryManager::setMemoryManager(&manager); }
  void TearDown() override {
    EXPECT_TRUE(manager.live.empty())
        << manager.live.size() << " allocations left, first " << manager.live.begin()->second;
    EXPECT_EQ(manager.foreign, 0);
    MemoryManager::setMemoryManager(previous_);
  }

  RecordingManager manager;

 private:
  MemoryManager* previous_ = nullptr;
};

TEST_F(AllocationTest, ObjectsAllocateUnderTheirClassNamesAndReleaseEverything) {
  {
    Sq::SavedQueryObject query;
    EXPECT_EQ(manager.liveWith(kSavedQueryImpl), 1);
    EXPECT_EQ(manager.liveWith(kModelObjectImpl), 1);
    EXPECT_EQ(manager.live.size(), 2u);

    Sq::SavedQueryObject copy(query);
    copy.ensureUnShared();
    EXPECT_EQ(manager.liveWith(kSavedQueryImpl), 2);
    EXPECT_EQ(manager.liveWith(kModelObjectImpl), 1);
  }
  EXPECT_TRUE(manager.live.empty());

  Sq::SavedQueryObject* facade = new Sq::SavedQueryObject();
  EXPECT_EQ(manager.liveWith(kQueryPrefix + "SavedQueryObject"), 1);
  EXPECT_EQ(manager.live.size(), 3u);
  delete facade;
  EXPECT_TRUE(manager.live.empty());

  // Whole trees, lists and service data included.
  { Sq::DescribeSavedQueriesResponse response = describeResponse(); }
  { Sq::GetSavedQueriesResponse response = getResponse(); }
}

TEST_F(AllocationTest, ANullFromTheManagerMakesConstructorsThrow) {
  manager.remaining = 0;
  EXPECT_THROW(Sq::SavedQueryObject{}, TryingToCreateNullHandle);
  EXPECT_THROW(Sq::GetSavedQueriesInput{}, TryingToCreateNullHandle);
  EXPECT_THROW(Sq::DescribeSavedQueriesResponse{}, TryingToCreateNullHandle);
  EXPECT_THROW(Base::ModelObject("uid", "type"), TryingToCreateNullHandle);
  EXPECT_THROW(Base::ServiceData{}, TryingToCreateNullHandle);
  // A new-expression of a schema class never yields null: the manager's refusal is bad_alloc.
  EXPECT_THROW(new Sq::ExecuteSavedQueryInput(), std::bad_alloc);
  EXPECT_TRUE(manager.live.empty());

  // Failing halfway: the object is allocated, the ModelObject of its query field is not. What
  // was allocated is released again.
  manager.remaining = 1;
  EXPECT_THROW(Sq::ExecuteSavedQueryInput{}, TryingToCreateNullHandle);
  manager.remaining = 2;
  EXPECT_THROW(new Sq::SavedQueryObject(), TryingToCreateNullHandle);
}

TEST_F(AllocationTest, EnsureUnSharedThatCannotAllocateKeepsTheObject) {
  Sq::ExecuteSavedQueryInput input = executeInput();
  Sq::ExecuteSavedQueryInput copy(input);
  const void* before = objectOf(copy);
  manager.remaining = 0;
  EXPECT_THROW(copy.ensureUnShared(), TryingToCreateNullHandle);
  manager.remaining = -1;
  EXPECT_EQ(objectOf(copy), before);
  EXPECT_EQ(refCount(input), 2);
  EXPECT_EQ(copy.getValueArray(), input.getValueArray());
}

TEST_F(AllocationTest, PlacementNewGoesThroughTheManager) {
  alignas(Sq::SavedQueryObject) unsigned char buffer[sizeof(Sq::SavedQueryObject)];
  Sq::SavedQueryObject* query = new (buffer) Sq::SavedQueryObject("n", "d", Base::ModelObject());
  EXPECT_EQ(static_cast<void*>(query), buffer);
  EXPECT_EQ(manager.placements, 1);
  EXPECT_EQ(query->getName(), "n");
  query->~SavedQueryObject();
}

TEST(PlacementTest, PlacementNewWithoutAManagerReturnsTheAddress) {
  ASSERT_EQ(MemoryManager::getMemoryManager(), nullptr);
  alignas(Sq::ExecuteSavedQueryInput) unsigned char buffer[sizeof(Sq::ExecuteSavedQueryInput)];
  Sq::ExecuteSavedQueryInput* input = new (buffer) Sq::ExecuteSavedQueryInput();
  EXPECT_EQ(static_cast<void*>(input), buffer);
  input->setLimit(3);
  EXPECT_EQ(input->getLimit(), 3);
  input->~ExecuteSavedQueryInput();
}

}  // namespace
