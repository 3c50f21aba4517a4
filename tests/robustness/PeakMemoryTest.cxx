// What reading a hostile document costs in memory, as a multiple of the document's size. Each
// case reads in a child process, so that its peak resident size, less what the child held when
// it started, is the read's own cost; the document itself is built before the fork.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "Hostile.hxx"

#if defined(__SANITIZE_ADDRESS__)
#define PELAGON_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELAGON_TEST_ASAN 1
#endif
#endif

namespace {

using namespace Robustness;

// The peak resident size of this process in bytes ("VmHWM"), or -1.
double peakBytes() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr)
    return -1;
  char line[256];
  long kilobytes = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1)
      break;
  }
  std::fclose(status);
  return kilobytes < 0 ? -1 : 1024.0 * static_cast<double>(kilobytes);
}

// Lowers the peak resident size to the present one, so that a forked child does not start with
// its parent's peak.
bool resetPeak() {
  std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
  if (clear == nullptr)
    return false;
  const bool written = std::fputs("5", clear) >= 0;
  return std::fclose(clear) == 0 && written;
}

/// The growth of the peak resident size while work() runs in a child process, in bytes; -1 when
/// this system cannot tell, -2 when the child fails.
double peakGrowth(const std::function<void()>& work) {
  int channel[2];
  if (pipe(channel) != 0)
    return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    // Free memory that the heap still holds would be taken without showing in the peak.
    malloc_trim(0);
    const double before = resetPeak() ? peakBytes() : -1;
    try {
      work();
    } catch (const DomException&) {
      // Rejecting is a result too; what it cost is what is measured.
    }
    const double growth = before < 0 ? -1 : peakBytes() - before;
    const bool written = ::write(channel[1], &growth, sizeof growth) == sizeof growth;
    _exit(written ? 0 : 1);
  }
  close(channel[1]);
  double growth = -2;
  if (::read(channel[0], &growth, sizeof growth) != sizeof growth)
    growth = -1;
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

struct Case {
  const char* what;
  std::string document;
};

std::string repeated(const std::string& piece, std::size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i)
    text += piece;
  return text;
}

// Sanitizers add shadow memory and valgrind runs the code in its own, so neither measures this.
TEST(PeakMemoryTest, ReadingStaysWithinASmallMultipleOfTheDocument) {
#ifdef PELAGON_TEST_ASAN
  GTEST_SKIP() << "AddressSanitizer changes what memory a read takes";
#endif
  constexpr std::size_t kMegabyte = 1 << 20;
  const std::string deep = repeated("<d>", 200000) + repeated("</d>", 200000);
  std::string attributes;
  for (int i = 0; i < 500000; ++i)
    attributes += " a" + std::to_string(i) + "=\"1\"";
  const std::vector<Case> cases = {
      {"a 64 MB text node",
       queryInput("<entries>" + std::string(64 * kMegabyte, 't') + "</entries>")},
      {"a 32 MB attribute value",
       queryInput("<query uid=\"" + std::string(32 * kMegabyte, 'u') + "\" type=\"t\"/>")},
      {"a million siblings", queryInput(repeated("<entries>sibling</entries>", 1000000))},
      {"200,000 levels of nesting", queryInput("<entries>a" + deep + "</entries>")},
      {"500,000 attributes on one element", queryInput("<query" + attributes + "/>")},
      {"a million references",
       queryInput("<entries>" + repeated("&amp;&#x41;", 1000000) + "</entries>")},
      {"a million comments, each with a bare '&'",
       queryInput(repeated("<!--&-->", 1000000) + "<entries>x</entries>")},
  };
  if (peakGrowth([] {}) == -1)
    GTEST_SKIP() << "this system does not let a process reset its peak resident size";
  for (const Case& c : cases) {
    const double growth = peakGrowth([&c] {
      const XMLDocument document = XMLDocument::parse(c.document);
      Sq::ExecuteSavedQueryInput input;
      input.parse(document.getRootElement());
    });
    ASSERT_GE(growth, 0) << c.what;
    const double multiple = growth / static_cast<double>(c.document.size());
    std::printf("%-45s %9.1f MB read, peak +%7.1f MB = %4.1f x\n", c.what,
                static_cast<double>(c.document.size()) / kMegabyte, growth / kMegabyte, multiple);
    // The parser's tree takes about 60 bytes per element, which can be written in 7 bytes
    // ("<d></d>"): that is the largest multiple a document can force.
    EXPECT_LE(multiple, 16.0) << c.what;
  }

  // A billion laughs, rejected before anything is expanded: the cost is that of a small document.
  std::string laughs = "<!DOCTYPE r [<!ENTITY l0 \"ha\">";
  for (int i = 1; i <= 9; ++i)
    laughs += "<!ENTITY l" + std::to_string(i) + " \"" +
              repeated("&l" + std::to_string(i - 1) + ";", 10) + "\">";
  laughs += "]>" + queryInput("<entries>&l9;</entries>");
  const double growth = peakGrowth([&laughs] { XMLDocument::parse(laughs); });
  ASSERT_GE(growth, 0);
  std::printf("%-45s %9.1f KB read, peak +%7.1f MB\n", "entity expansion bomb",
              static_cast<double>(laughs.size()) / 1024, growth / kMegabyte);
  EXPECT_LE(growth, 4.0 * kMegabyte);
}

}  // namespace
