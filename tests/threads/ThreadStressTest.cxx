// Several threads reading and writing different messages at once, with and without the
// process-wide hooks installed. Built with ThreadSanitizer (the tsan preset), any race between
// separate objects, or in how the library reaches the hooks, is a report that fails the test.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <varnicore/Config.hxx>
#include <varnicore/Monitor.hxx>
#include <varnicore/XMLDocument.hxx>
#if !VARNICORE_REDUCED_PROFILE
#include <varnicore/MemoryManager.hxx>
#endif

#include "SampleWriter.hxx"
#include "TypeTable.hxx"

namespace {

using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Internal::Common::Monitor;
using Corvanthel::Soa::Internal::Common::MonitorListener;
using Pelagon::Tool::TypeInfo;
using Pelagon::Tool::typeTable;

constexpr int kThreads = 4;
constexpr int kRounds = 60;

struct Message {
  const TypeInfo* type;
  std::string text;      // the sample document, every field filled (dates too)
  std::string expected;  // what reading and writing it gives, made on one thread beforehand
};

std::vector<Message> documentTypes() {
  std::vector<Message> messages;
  for (const TypeInfo& type : typeTable().types()) {
    if (type.document)
      messages.push_back({&type, Pelagon::Tool::sampleDocument(typeTable(), type),
                          Pelagon::Tool::sampleMessage(typeTable(), type)});
  }
  return messages;
}

/// Each thread reads every message into its type and writes it again, starting at a message of
/// its own so that the threads work on different types at any moment. Returns how many results
/// differed from the expected text.
int readAndWriteOnThreads(const std::vector<Message>& messages) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&messages, &wrong, t] {
      for (int round = 0; round < kRounds; ++round) {
        const Message& message = messages[(t * 5 + round) % messages.size()];
        const XMLDocument document = XMLDocument::parse(message.text);
        const auto root = document.getRootElement();
        if (message.type->rewrite(root, std::string(root.getLocalName())) != message.expected)
          ++wrong;
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  return wrong;
}

// The hooks as they must be: their functions may be called from several threads at once.
class CountingListener : public MonitorListener {
 public:
  void markStart(const std::string&) override { ++starts; }
  void markEnd(const std::string&) override { ++ends; }
  std::atomic<long> starts{0};
  std::atomic<long> ends{0};
};

#if !VARNICORE_REDUCED_PROFILE
class CountingManager : public Corvanthel::Soa::Common::MemoryManager {
 public:
  void* allocate(std::size_t size, const char*) override {
    ++allocations;
    return ::operator new(size);
  }
  void deallocate(void* p) override { ::operator delete(p); }
  void* placementallocate(std::size_t, void* place) override { return place; }
  void placementdeallocate(void*, void*) override {}
  std::atomic<long> allocations{0};
};
#endif

TEST(Threads, SeparateMessagesReadAndWrittenAtOnce) {
  const std::vector<Message> messages = documentTypes();
  ASSERT_GT(messages.size(), static_cast<std::size_t>(kThreads));
  EXPECT_EQ(readAndWriteOnThreads(messages), 0);
}

TEST(Threads, HooksInstalledBeforeTheThreadsStartSeeEveryThread) {
  const std::vector<Message> messages = documentTypes();
  CountingListener listener;
  Monitor::setListener(&listener);
#if !VARNICORE_REDUCED_PROFILE
  CountingManager manager;
  Corvanthel::Soa::Common::MemoryManager::setMemoryManager(&manager);
#endif
  const int wrong = readAndWriteOnThreads(messages);
#if !VARNICORE_REDUCED_PROFILE
  Corvanthel::Soa::Common::MemoryManager::setMemoryManager(nullptr);
  EXPECT_GT(manager.allocations.load(), 0);
#endif
  Monitor::setListener(nullptr);
  EXPECT_EQ(wrong, 0);
  // A parse and a write of every message: two marks each, in pairs.
  EXPECT_EQ(listener.starts.load(), 2L * kThreads * kRounds);
  EXPECT_EQ(listener.ends.load(), listener.starts.load());
}

}  // namespace
