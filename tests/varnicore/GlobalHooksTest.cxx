#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <varnicore/BaseObject.hxx>
#include <varnicore/MemoryManager.hxx>
#include <varnicore/Monitor.hxx>

namespace {

using Corvanthel::Soa::Common::MemoryManager;
using Corvanthel::Soa::Common::Xml::BaseObject;
using Corvanthel::Soa::Internal::Common::Monitor;
using Corvanthel::Soa::Internal::Common::MonitorListener;

class NullManager : public MemoryManager {
 public:
  void* allocate(std::size_t, const char*) override { return nullptr; }
  void deallocate(void*) override {}
  void* placementallocate(std::size_t, void* place) override { return place; }
  void placementdeallocate(void*, void*) override {}
};

class Recorder : public MonitorListener {
 public:
  void markStart(const std::string& label) override { marks.push_back("+" + label); }
  void markEnd(const std::string& label) override { marks.push_back("-" + label); }
  std::vector<std::string> marks;
};

TEST(GlobalHooksTest, InstallingReturnsThePreviousOne) {
  NullManager first;
  NullManager second;
  ASSERT_EQ(MemoryManager::getMemoryManager(), nullptr);
  EXPECT_EQ(MemoryManager::setMemoryManager(&first), nullptr);
  EXPECT_EQ(MemoryManager::setMemoryManager(&second), &first);
  EXPECT_EQ(MemoryManager::getMemoryManager(), &second);
  EXPECT_EQ(MemoryManager::setMemoryManager(nullptr), &second);
  EXPECT_EQ(MemoryManager::getMemoryManager(), nullptr);
}

TEST(GlobalHooksTest, MarksReachOnlyTheInstalledListener) {
  Recorder recorder;
  Monitor::markStart("unheard");
  EXPECT_EQ(Monitor::setListener(&recorder), nullptr);
  Monitor::markStart("write");
  Monitor::markEnd("write");
  EXPECT_EQ(Monitor::setListener(nullptr), &recorder);
  Monitor::markEnd("unheard");
  EXPECT_EQ(recorder.marks, (std::vector<std::string>{"+write", "-write"}));
}

class Counted : public BaseObject {
 public:
  explicit Counted(int* destroyed) : BaseObject("urn:counted"), destroyed_(destroyed) {}
  ~Counted() override { ++*destroyed_; }

 private:
  BaseObject* reallyClone() const override { return new Counted(*this); }
  int* destroyed_;
};

TEST(BaseObjectTest, LastReferenceDestroysAndClonesStartUnshared) {
  int destroyed = 0;
  auto* object = new Counted(&destroyed);
  object->addRef();
  object->addRef();
  BaseObject* copy = object->clone();
  EXPECT_EQ(copy->getRefCount(), 0);
  EXPECT_EQ(copy->getNamespace(), "urn:counted");
  object->removeRef();
  EXPECT_EQ(destroyed, 0);
  object->removeRef();
  EXPECT_EQ(destroyed, 1);
  copy->addRef();
  copy->removeRef();
  EXPECT_EQ(destroyed, 2);
}

}  // namespace
