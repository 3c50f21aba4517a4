// Allocation failure at every point of reading and writing a nested message: each attempt ends in
// TryingToCreateNullHandle or success, releases everything it allocated and leaves the objects
// that existed before as they were.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "Hostile.hxx"

namespace {

using namespace Robustness;
using Corvanthel::Soa::Common::MemoryManager;

/// Counts allocations and returns null for the one numbered failAt (from 0) when failAt >= 0.
class FailingManager : public MemoryManager {
 public:
  void* allocate(std::size_t size, const char*) override {
    if (allocations++ == failAt) {
      failed = true;
      return nullptr;
    }
    void* p = std::malloc(size);
    live.insert(p);
    return p;
  }
  void deallocate(void* p) override {
    if (live.erase(p) == 0) {
      ++foreign;
      return;
    }
    std::free(p);
  }
  void* placementallocate(std::size_t, void* place) override { return place; }
  void placementdeallocate(void*, void*) override {}

  std::set<void*> live;
  long allocations = 0;
  long failAt = -1;
  bool failed = false;
  int foreign = 0;  // releases of memory this manager did not hand out
};

std::string exampleMessage(const std::string& relative) {
  std::ifstream file(std::string(PELAGON_EXAMPLES_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

/// Reads text into a fresh T, writes it, reads that into another fresh T and writes it again;
/// returns the last text.
template <class T>
std::string readWriteRead(const std::string& text, const std::string& name) {
  const auto first = PelagonTest::write(PelagonTest::read<T>(text), name);
  return PelagonTest::write(PelagonTest::read<T>(first), name);
}

template <class T>
void failEveryAllocation(const std::string& relative, const std::string& name) {
  const std::string message = exampleMessage(relative);
  ASSERT_FALSE(message.empty()) << relative;
  FailingManager manager;
  MemoryManager* const previous = MemoryManager::setMemoryManager(&manager);
  {
    const T before = PelagonTest::read<T>(message);
    const std::string beforeText = PelagonTest::write(before, name);
    const std::size_t beforeLive = manager.live.size();
    long needed = 0;
    for (long n = 0;; ++n) {
      manager.failAt = manager.allocations + n;
      manager.failed = false;
      std::string result;
      bool threw = false;
      try {
        result = readWriteRead<T>(message, name);
      } catch (const TryingToCreateNullHandle&) {
        threw = true;
      }
      manager.failAt = -1;
      EXPECT_EQ(threw, manager.failed) << "allocation " << n;
      if (!threw) {
        EXPECT_EQ(result, beforeText) << "allocation " << n;
      }
      EXPECT_EQ(manager.live.size(), beforeLive) << "allocation " << n << " leaked";
      EXPECT_EQ(PelagonTest::write(before, name), beforeText) << "allocation " << n;
      if (!manager.failed) {
        needed = n;
        break;
      }
    }
    // The message holds objects at several levels: there were many points to fail at.
    EXPECT_GT(needed, 10);
    std::cout << relative << ": " << needed << " allocation points failed in turn\n";
  }
  EXPECT_TRUE(manager.live.empty());
  EXPECT_EQ(manager.foreign, 0);
  MemoryManager::setMemoryManager(previous);
}

TEST(AllocationFailureTest, EveryAllocationOfANestedResponseCanFail) {
  failEveryAllocation<Sq0706::ExecuteSavedQueriesResponse>(
      "query/2007_06/savedquery/ExecuteSavedQueriesResponse.xml", "ExecuteSavedQueriesResponse");
}

TEST(AllocationFailureTest, EveryAllocationOfANestedRequestCanFail) {
  failEveryAllocation<Finder::FindWorkspaceObjectsInput>(
      "query/2007_06/finder/FindWorkspaceObjectsInput.xml", "FindWorkspaceObjectsInput");
}

}  // namespace
