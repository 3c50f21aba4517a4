// Every 2006-03 type, filled and empty: write, read into a fresh object, write again. The two
// texts are the same, and the text is valid against the schema.
#include <string>

#include <gtest/gtest.h>

#include "Fixtures.hxx"

namespace {

using namespace BindingTest;

/// Round-trips object, and a default-constructed T, as rootName; returns the object read back.
template <class T>
T roundTrip(const T& object, const std::string& rootName, const std::string& schema) {
  SCOPED_TRACE(rootName);
  T read;
  for (const T& original : {T(), object}) {
    const std::string text = PelagonTest::write(original, rootName);
    read = PelagonTest::read<T>(text);
    EXPECT_EQ(PelagonTest::write(read, rootName), text);
    const PelagonTest::LintResult lint = PelagonTest::xmllint(text, schema);
    EXPECT_TRUE(lint.ok) << lint.output << "\nin: " << text;
  }
  return read;
}

TEST(RoundTripTest, Messages) {
  roundTrip(Sq::GetSavedQueriesInput(), "GetSavedQueriesInput", messageSchema());
  EXPECT_EQ(roundTrip(getResponse(), "GetSavedQueriesResponse", messageSchema())
                .getQuerieArray()[1]
                .getName(),
            "Général");
  EXPECT_EQ(roundTrip(describeInput(), "DescribeSavedQueriesInput", messageSchema())
                .getQuerieArray()[1]
                .getUid(),
            "Qr56");
  const Sq::DescribeSavedQueriesResponse described =
      roundTrip(describeResponse(), "DescribeSavedQueriesResponse", messageSchema());
  ASSERT_EQ(described.getFieldListArray().size(), 2u);
  EXPECT_EQ(described.getFieldListArray()[0].getFieldArray()[1].getEntryName(), "Type\t(main)");
  EXPECT_EQ(roundTrip(executeInput(), "ExecuteSavedQueryInput", messageSchema()).getValueArray()[0],
            "pump <main> & \"spare\"");
  const Sq::ExecuteSavedQueryResponse executed =
      roundTrip(executeResponse(), "ExecuteSavedQueryResponse", messageSchema());
  EXPECT_EQ(executed.getNFound(), 42);
  EXPECT_EQ(executed.getServiceData().getUpdatedArray()[1], " Ij90 ");
}

TEST(RoundTripTest, Structures) {
  EXPECT_EQ(
      roundTrip(savedQuery("Mine"), "SavedQueryObject", structureSchema()).getQuery().getUid(),
      "Qr34Mine");
  const Sq::SavedQueryFieldObject read =
      roundTrip(field("Name"), "SavedQueryFieldObject", structureSchema());
  EXPECT_EQ(read.getAttributeType(), 8);
  EXPECT_EQ(read.getLov().getType(), "List Of Values");
  EXPECT_EQ(
      roundTrip(fieldList(), "SavedQueryFieldListObject", structureSchema()).getFieldArray().size(),
      2u);
}

TEST(RoundTripTest, ServiceDataWithPartialErrors) {
  const Base::ServiceData read = roundTrip(serviceData(), "ServiceData", baseSchema());
  ASSERT_EQ(read.getPartialErrorArray().size(), 2u);
  const Base::PartialError& locked = read.getPartialErrorArray()[0];
  EXPECT_EQ(locked.getClientId(), "client-1");
  ASSERT_EQ(locked.getErrorValueArray().size(), 2u);
  EXPECT_EQ(locked.getErrorValueArray()[1].getCode(), -7);
  EXPECT_EQ(locked.getErrorValueArray()[1].getMessage(), "Zugriff verweigert: Größe\n");
  EXPECT_TRUE(read.getPartialErrorArray()[1].getErrorValueArray().empty());
}

}  // namespace
