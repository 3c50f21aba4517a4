// The root element of every write and read is bracketed by a pair of Monitor marks.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Fixtures.hxx"

namespace {

using namespace BindingTest;
using Corvanthel::Soa::Common::Exceptions::InvalidXmlText;
using Corvanthel::Soa::Common::Xml::toXmlString;
using Corvanthel::Soa::Internal::Common::Monitor;
using Corvanthel::Soa::Internal::Common::MonitorListener;
using Marks = std::vector<std::string>;

class Recorder : public MonitorListener {
 public:
  void markStart(const std::string& label) override { marks.push_back("+" + label); }
  void markEnd(const std::string& label) override {
    marks.push_back("-" + label);
    if (throwOnEnd)
      throw 42;
  }
  Marks marks;
  bool throwOnEnd = false;
};

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = Monitor::setListener(&recorder); }
  void TearDown() override { Monitor::setListener(previous_); }

  /// The start and end mark of one root write or read of a type.
  static Marks pair(const std::string& label) { return {"+" + label, "-" + label}; }

  Recorder recorder;

 private:
  MonitorListener* previous_ = nullptr;
};

TEST_F(MonitorTest, ARootWriteOrReadMarksItsOwnLabelOnly) {
  const std::string text = PelagonTest::write(executeInput(), "ExecuteSavedQueryInput");
  EXPECT_EQ(recorder.marks, pair(kQueryPrefix + "ExecuteSavedQueryInput::outputXML"));

  recorder.marks.clear();
  Sq::ExecuteSavedQueryInput input;
  parseInto(input, text);
  EXPECT_EQ(recorder.marks, pair(kQueryPrefix + "ExecuteSavedQueryInput::parse"));

  // Types that are usually nested mark under their own label when they are the root.
  recorder.marks.clear();
  PelagonTest::write(Base::ModelObject("u", "t"), "ModelObject");
  EXPECT_EQ(recorder.marks, pair(kBasePrefix + "ModelObject::outputXML"));

  recorder.marks.clear();
  PelagonTest::read<Base::ServiceData>(PelagonTest::write(serviceData(), "ServiceData"));
  EXPECT_EQ(recorder.marks, (Marks{"+" + kBasePrefix + "ServiceData::outputXML",
                                   "-" + kBasePrefix + "ServiceData::outputXML",
                                   "+" + kBasePrefix + "ServiceData::parse",
                                   "-" + kBasePrefix + "ServiceData::parse"}));
}

TEST_F(MonitorTest, MarksStayBalancedWhenAReadThrows) {
  Sq::DescribeSavedQueriesInput input;
  EXPECT_EQ(parseError(input, "<D><queries uid=\"1\"/><bogus/></D>"),
            "Unexpected node name: bogus");
  EXPECT_EQ(recorder.marks, pair(kQueryPrefix + "DescribeSavedQueriesInput::parse"));

  // A listener that throws from its end mark does not replace the exception on its way.
  recorder.marks.clear();
  recorder.throwOnEnd = true;
  Sq::ExecuteSavedQueryInput execute;
  EXPECT_NE(parseError(execute, "<E limit=\"12abc\"/>").find("12abc"), std::string::npos);
  EXPECT_EQ(recorder.marks, pair(kQueryPrefix + "ExecuteSavedQueryInput::parse"));
}

TEST_F(MonitorTest, MarksStayBalancedWhenAWriteThrows) {
  std::string expected;
  try {
    toXmlString("bad \x01 value");
  } catch (const InvalidXmlText& error) {
    expected = error.what();
  }
  ASSERT_FALSE(expected.empty());

  // The bad text is in a nested object; only the root marks.
  Sq::SavedQueryObject query = savedQuery("q");
  query.getQuery().setType("bad \x01 value");
  XmlStream stream;
  try {
    query.outputXML(stream, "SavedQueryObject");
    ADD_FAILURE() << "no InvalidXmlText";
  } catch (const InvalidXmlText& error) {
    EXPECT_EQ(std::string(error.what()), expected);
  }
  EXPECT_EQ(recorder.marks, pair(kQueryPrefix + "SavedQueryObject::outputXML"));
}

}  // namespace
