// With no MemoryManager installed, schema objects come from the global operator new, and its
// std::bad_alloc reaches the caller unchanged. This program replaces the global operator new with
// one that can be told to fail, so it runs on its own, apart from the other binding tests.
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "Fixtures.hxx"

namespace {

// Allocations still allowed before the global operator new fails; negative for no limit.
int allowed = -1;
// Allocations made and not yet released.
long live = 0;

}  // namespace

void* operator new(std::size_t size) {
  if (allowed == 0)
    throw std::bad_alloc();
  if (allowed > 0)
    --allowed;
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    ++live;
    return p;
  }
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
  if (p != nullptr) {
    --live;
    std::free(p);
  }
}

void operator delete(void* p, std::size_t) noexcept {
  ::operator delete(p);
}

namespace {

using namespace BindingTest;

/// Runs make with the global operator new failing after `successes` allocations; expects
/// std::bad_alloc and every allocation made on the way released again.
template <class Make>
void expectBadAlloc(int successes, Make make) {
  const long before = live;
  allowed = successes;
  bool thrown = false;
  try {
    make();
  } catch (const std::bad_alloc&) {
    thrown = true;
  } catch (...) {
    allowed = -1;
    ADD_FAILURE() << "another exception than std::bad_alloc after " << successes;
    return;
  }
  allowed = -1;
  EXPECT_TRUE(thrown) << "no std::bad_alloc after " << successes << " allocations";
  EXPECT_EQ(live, before) << "allocations left after failing at " << successes;
}

TEST(GlobalNewTest, ConstructorsPassBadAllocThrough) {
#if !VARNICORE_REDUCED_PROFILE
  // No manager: the handle's TryingToCreateNullHandle is for a manager's refusal only.
  ASSERT_EQ(::Corvanthel::Soa::Common::MemoryManager::getMemoryManager(), nullptr);
#endif
  expectBadAlloc(0, [] { Sq::SavedQueryObject query; });
  expectBadAlloc(0, [] { Base::ServiceData data; });
  // The object itself is allocated, the ModelObject of its query field is not.
  expectBadAlloc(1, [] { Sq::ExecuteSavedQueryInput input; });
  expectBadAlloc(0, [] { delete new Sq::GetSavedQueriesInput(); });
  expectBadAlloc(2, [] { delete new Sq::SavedQueryObject(); });
}

#if !VARNICORE_REDUCED_PROFILE
TEST(GlobalNewTest, EnsureUnSharedPassesBadAllocThroughAndKeepsTheObject) {
  Sq::ExecuteSavedQueryInput input = executeInput();
  Sq::ExecuteSavedQueryInput copy(input);
  const void* before = objectOf(copy);
  expectBadAlloc(0, [&copy] { copy.ensureUnShared(); });
  EXPECT_EQ(objectOf(copy), before);
  EXPECT_EQ(refCount(input), 2);
}
#endif

}  // namespace
