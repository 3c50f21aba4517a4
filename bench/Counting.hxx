// Allocation counters for the small-message benchmarks: a counting global operator new and a
// counting MemoryManager (which sees the schema objects only).
#ifndef PELAGON_BENCH_COUNTING_HXX
#define PELAGON_BENCH_COUNTING_HXX

#include <cstddef>
#include <cstdlib>

#include <pelagon/pelagon.hxx>

namespace PelagonBench {

/// Allocations made through the global operator new since the program started.
std::size_t globalAllocations();

/// Counts the schema objects allocated through it and forwards to malloc.
class CountingManager : public Corvanthel::Soa::Common::MemoryManager {
 public:
  void* allocate(std::size_t size, const char*) override {
    ++allocations;
    return std::malloc(size);
  }
  void deallocate(void* p) override { std::free(p); }
  void* placementallocate(std::size_t, void* place) override { return place; }
  void placementdeallocate(void*, void*) override {}

  std::size_t allocations = 0;
};

}  // namespace PelagonBench

#endif  // PELAGON_BENCH_COUNTING_HXX
