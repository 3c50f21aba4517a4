// The libraries opened after start-up by a program that does not link them, as a program opens
// its plug-ins: dates written and read on the main thread and on threads started after the load.
#include <dlfcn.h>

#include <cstddef>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace {

using RoundTrip = int (*)(char* message, std::size_t size);

std::string runRoundTrip(RoundTrip roundTrip) {
  char message[1024] = "";
  return roundTrip(message, sizeof message) == 0 ? std::string()
                                                 : "failed: " + std::string(message);
}

TEST(LateLoad, DatesRoundTripOnThreadsStartedAfterTheLoad) {
  // Loaded already, the libraries would not be opened late.
  for (const char* library : {PELAGON_VARNICORE_SONAME, PELAGON_PELAGON_SONAME})
    ASSERT_EQ(dlopen(library, RTLD_NOW | RTLD_NOLOAD), nullptr) << library << " is loaded";

  void* const module = dlopen(PELAGON_DATES_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  const auto roundTrip = reinterpret_cast<RoundTrip>(dlsym(module, "pelagon_dates_round_trip"));
  ASSERT_NE(roundTrip, nullptr) << dlerror();

  EXPECT_EQ(runRoundTrip(roundTrip), "");
  std::string results[2];
  std::thread first([&] { results[0] = runRoundTrip(roundTrip); });
  std::thread second([&] { results[1] = runRoundTrip(roundTrip); });
  first.join();
  second.join();
  EXPECT_EQ(results[0], "");
  EXPECT_EQ(results[1], "");
  EXPECT_EQ(dlclose(module), 0) << dlerror();
}

}  // namespace
