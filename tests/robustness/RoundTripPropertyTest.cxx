// Random objects of the document types: written, read into a fresh object and written again, the
// text is the same; a sample passes xmllint against the schema. Seeded: a failure prints the seed
// of its case, and PELAGON_PROPERTY_SEED=N PELAGON_PROPERTY_CASES=1 runs that case alone.
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Hostile.hxx"

namespace {

using namespace Robustness;

std::uint64_t fromEnvironment(const char* name, std::uint64_t fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoull(value, nullptr, 10) : fallback;
}

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}

  int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine_); }

  /// Any int, with the edges of the range and small numbers more often than by chance.
  int anyInt() {
    switch (below(4)) {
      case 0:
        return std::numeric_limits<int>::min() + below(2);
      case 1:
        return std::numeric_limits<int>::max() - below(2);
      case 2:
        return below(201) - 100;
      default:
        return std::uniform_int_distribution<int>(std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max())(engine_);
    }
  }

  /// Text that XML 1.0 can carry: blanks, line ends, markup characters, multibyte UTF-8.
  std::string text() {
    static const std::vector<std::string> kPieces = {"a",
                                                     "Z",
                                                     "0",
                                                     " ",
                                                     "  ",
                                                     "\t",
                                                     "\r",
                                                     "\n",
                                                     "\r\n",
                                                     "<",
                                                     ">",
                                                     "&",
                                                     "\"",
                                                     "'",
                                                     "]]>",
                                                     "&amp;",
                                                     "=",
                                                     "\xC3\xA9",
                                                     "\xE2\x82\xAC",
                                                     "\xF0\x9F\x98\x80",
                                                     "\xED\x9F\xBF",
                                                     "\xEE\x80\x80",
                                                     "\xEF\xBF\xBD",
                                                     "\xF4\x8F\xBF\xBF",
                                                     "pump housing",
                                                     "*"};
    std::string result;
    const int pieces = below(4) == 0 ? 0 : below(below(8) == 0 ? 200 : 12);
    for (int i = 0; i < pieces; ++i)
      result += kPieces[below(static_cast<int>(kPieces.size()))];
    return result;
  }

  DateTime date() {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = 1 + below(9999);
    const int month = 1 + below(12);
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days = month == 2 && leap ? 29 : kDays[month - 1];
    return DateTime(year, month, 1 + below(days), below(24), below(60), below(60));
  }

  /// A list length: none, one or many.
  int count() {
    switch (below(3)) {
      case 0:
        return 0;
      case 1:
        return 1;
      default:
        return 2 + below(below(10) == 0 ? 60 : 6);
    }
  }

  Base::ModelObject modelObject() { return Base::ModelObject(text(), text()); }

  Base::ServiceData serviceData() {
    Base::ServiceData data;
    for (int i = count(); i > 0; --i)
      data.addPlainObject(modelObject());
    for (int i = count(); i > 0; --i)
      data.addCreated(text());
    for (int i = count(); i > 0; --i)
      data.addUpdated(text());
    for (int i = count(); i > 0; --i)
      data.addDeleted(text());
    for (int i = count(); i > 0; --i) {
      Base::PartialError error;
      error.setClientId(text());
      for (int j = count(); j > 0; --j) {
        Base::ErrorValue value;
        value.setCode(anyInt());
        value.setLevel(anyInt());
        value.setMessage(text());
        error.addErrorValue(value);
      }
      data.addPartialError(error);
    }
    return data;
  }

 private:
  std::mt19937_64 engine_;
};

/// Runs check(random) for each case, with a seed of its own; stops at the first failing case.
template <class Check>
void forEachCase(Check check) {
  const std::uint64_t first = fromEnvironment("PELAGON_PROPERTY_SEED", 20070630);
  const std::uint64_t cases = fromEnvironment("PELAGON_PROPERTY_CASES", 1000);
  for (std::uint64_t seed = first; seed < first + cases; ++seed) {
    SCOPED_TRACE("PELAGON_PROPERTY_SEED=" + std::to_string(seed));
    Random random(seed);
    check(random, seed % 50 == 0);
    if (::testing::Test::HasFailure())
      return;
  }
}

/// Writes, reads and writes again; lints when asked to.
template <class T>
void expectStable(const T& object, const std::string& name, const std::string& schema, bool lint) {
  const std::string text = PelagonTest::write(object, name);
  EXPECT_EQ(PelagonTest::write(PelagonTest::read<T>(text), name), text);
  if (lint) {
    const PelagonTest::LintResult result =
        PelagonTest::xmllint(text, PelagonTest::schemaFile(schema));
    EXPECT_TRUE(result.ok) << result.output << "\nin: " << text;
  }
}

const std::string kSchema0603 = "query/2006_03/savedquery/SavedQuery.xsd";

TEST(RoundTripPropertyTest, SavedQueries2006_03) {
  forEachCase([](Random& random, bool lint) {
    Sq::ExecuteSavedQueryInput input(random.anyInt(), random.modelObject());
    for (int i = random.count(); i > 0; --i)
      input.addEntrie(random.text());
    for (int i = random.count(); i > 0; --i)
      input.addValue(random.text());
    expectStable(input, "ExecuteSavedQueryInput", kSchema0603, lint);

    Sq::ExecuteSavedQueryResponse executed;
    executed.setNFound(random.anyInt());
    for (int i = random.count(); i > 0; --i)
      executed.addObject(random.modelObject());
    executed.setServiceData(random.serviceData());
    expectStable(executed, "ExecuteSavedQueryResponse", kSchema0603, lint);

    Sq::GetSavedQueriesResponse queries;
    for (int i = random.count(); i > 0; --i) {
      Sq::SavedQueryObject query;
      query.setName(random.text());
      query.setDescription(random.text());
      query.setQuery(random.modelObject());
      queries.addQuerie(query);
    }
    queries.setServiceData(random.serviceData());
    expectStable(queries, "GetSavedQueriesResponse", kSchema0603, lint);

    Sq::DescribeSavedQueriesResponse described;
    for (int i = random.count(); i > 0; --i) {
      Sq::SavedQueryFieldListObject fields;
      for (int j = random.count(); j > 0; --j) {
        Sq::SavedQueryFieldObject field;
        field.setAttributeName(random.text());
        field.setAttributeType(random.anyInt());
        field.setEntryName(random.text());
        field.setLogicalOperation(random.text());
        field.setMathOperation(random.text());
        field.setValue(random.text());
        field.setLov(random.modelObject());
        fields.addField(field);
      }
      described.addFieldList(fields);
    }
    described.setServiceData(random.serviceData());
    expectStable(described, "DescribeSavedQueriesResponse", kSchema0603, lint);

    Sq::DescribeSavedQueriesInput describe;
    for (int i = random.count(); i > 0; --i)
      describe.addQuerie(random.modelObject());
    expectStable(describe, "DescribeSavedQueriesInput", kSchema0603, lint);
    expectStable(Sq::GetSavedQueriesInput(), "GetSavedQueriesInput", kSchema0603, lint);
  });
}

TEST(RoundTripPropertyTest, ServiceData2006_03) {
  forEachCase([](Random& random, bool lint) {
    expectStable(random.serviceData(), "ServiceData", "soa/2006_03/base/Base.xsd", lint);
  });
}

TEST(RoundTripPropertyTest, SavedQueryCriteria2007_01) {
  namespace Sq0701 = ::Corvanthel::Schemas::Query::_2007_01::Savedquery;
  const std::string schema = "query/2007_01/savedquery/SavedQuery.xsd";
  forEachCase([&schema](Random& random, bool lint) {
    const auto criteria = [&random] {
      Sq0701::SaveQueryCriteriaInfo info;
      info.setSearchName(random.text());
      info.setQueryName(random.text());
      for (int i = random.count(); i > 0; --i)
        info.addKey(random.text());
      for (int i = random.count(); i > 0; --i)
        info.addValue(random.text());
      return info;
    };
    Sq0701::SaveQueryCriteriasInput save;
    for (int i = random.count(); i > 0; --i)
      save.addQueryCriteria(criteria());
    expectStable(save, "SaveQueryCriteriasInput", schema, lint);

    Sq0701::RetrieveQueryCriteriaResponse retrieved;
    for (int i = random.count(); i > 0; --i)
      retrieved.addOutput(criteria());
    retrieved.setServiceData(random.serviceData());
    expectStable(retrieved, "RetrieveQueryCriteriaResponse", schema, lint);

    Sq0701::DeleteQueryCriteriasInput names;
    Sq0701::RetrieveQueryCriteriasInput retrieve;
    Sq0701::ReorderSavedQueryCriteriasInput reorder;
    for (int i = random.count(); i > 0; --i) {
      names.addQueryCriteriaName(random.text());
      retrieve.addQueryCriteriaName(random.text());
      reorder.addQueryCriteriaName(random.text());
    }
    expectStable(names, "DeleteQueryCriteriasInput", schema, lint);
    expectStable(retrieve, "RetrieveQueryCriteriasInput", schema, lint);
    expectStable(reorder, "ReorderSavedQueryCriteriasInput", schema, lint);
  });
}

#if !PELAGON_BINDING_REDUCED
TEST(RoundTripPropertyTest, Finder2007_06) {
  const std::string schema = "query/2007_06/finder/Finder.xsd";
  forEachCase([&schema](Random& random, bool lint) {
    Finder::FindWorkspaceObjectsInput input;
    for (int i = random.count(); i > 0; --i) {
      Finder::WSOFindSet set;
      for (int j = random.count(); j > 0; --j) {
        Finder::WSOFindCriteria criteria;
        criteria.setObjectName(random.text());
        criteria.setObjectType(random.text());
        criteria.setScope(random.text());
        criteria.setOwner(random.modelObject());
        criteria.setGroup(random.modelObject());
        criteria.setCreatedAfter(random.date());
        criteria.setCreatedBefore(random.date());
        criteria.setModifiedAfter(random.date());
        criteria.setModifiedBefore(random.date());
        criteria.setReleasedAfter(random.date());
        criteria.setReleasedBefore(random.date());
        set.addCriteria(criteria);
      }
      input.addFindList(set);
    }
    expectStable(input, "FindWorkspaceObjectsInput", schema, lint);

    Finder::FindWorkspaceObjectsResponse response;
    for (int i = random.count(); i > 0; --i) {
      Finder::FindWorkspaceObjectsOutput output;
      output.setFindSetIndex(random.anyInt());
      for (int j = random.count(); j > 0; --j)
        output.addFoundObject(random.modelObject());
      response.addOutputList(output);
    }
    response.setServiceData(random.serviceData());
    expectStable(response, "FindWorkspaceObjectsResponse", schema, lint);
  });
}

TEST(RoundTripPropertyTest, SavedQueryResults2007_06) {
  forEachCase([](Random& random, bool lint) {
    Sq0706::ExecuteSavedQueriesResponse response;
    for (int i = random.count(); i > 0; --i) {
      Sq0706::SavedQueryResults results;
      results.setNumOfObjects(random.anyInt());
      for (int j = random.count(); j > 0; --j)
        results.addObjectsRelMap(random.anyInt());
      for (int j = random.count(); j > 0; --j)
        results.addObject(random.modelObject());
      response.addArrayOfResult(results);
    }
    response.setServiceData(random.serviceData());
    expectStable(response, "ExecuteSavedQueriesResponse", "query/2007_06/savedquery/SavedQuery.xsd",
                 lint);
  });
}
TEST(RoundTripPropertyTest, SearchCriteria2007_06) {
  const std::string schema = "query/2007_06/savedquery/SavedQuery.xsd";
  forEachCase([&schema](Random& random, bool lint) {
    const auto criteria = [&random] {
      Sq0706::SaveSearchCriteriaInfo info(random.text(), random.text(), random.text(),
                                          random.text());
      for (int i = random.count(); i > 0; --i)
        info.addKey(random.text());
      for (int i = random.count(); i > 0; --i)
        info.addValue(random.text());
      return info;
    };
    Sq0706::SaveSearchCriteriaInput save;
    for (int i = random.count(); i > 0; --i)
      save.addSearchCriteria(criteria());
    expectStable(save, "SaveSearchCriteriaInput", schema, lint);

    Sq0706::RetrieveSearchCriteriaInput retrieve;
    for (int i = random.count(); i > 0; --i)
      retrieve.addSearchName(random.text());
    expectStable(retrieve, "RetrieveSearchCriteriaInput", schema, lint);

    Sq0706::RetrieveSearchCriteriaResponse retrieved(random.serviceData());
    for (int i = random.count(); i > 0; --i)
      retrieved.addOutput(criteria());
    expectStable(retrieved, "RetrieveSearchCriteriaResponse", schema, lint);
  });
}

TEST(RoundTripPropertyTest, SavedQueryInputs2007_06To2008_06) {
  namespace Sq0709 = ::Corvanthel::Schemas::Query::_2007_09::Savedquery;
  namespace Sq0806 = ::Corvanthel::Schemas::Query::_2008_06::Savedquery;
  forEachCase([](Random& random, bool lint) {
    Sq0706::ExecuteSavedQueriesInput input0706;
    for (int i = random.count(); i > 0; --i) {
      Sq0706::SavedQueryInput query;
      query.setQuery(random.modelObject());
      query.setMaxNumToReturn(random.anyInt());
      query.setMaxNumToInflate(random.anyInt());
      query.setLimitListCount(random.anyInt());
      query.setResultsType(random.anyInt());
      for (int j = random.count(); j > 0; --j)
        query.addLimitList(random.modelObject());
      for (int j = random.count(); j > 0; --j)
        query.addEntrie(random.text());
      for (int j = random.count(); j > 0; --j)
        query.addValue(random.text());
      input0706.addInput(query);
    }
    expectStable(input0706, "ExecuteSavedQueriesInput", "query/2007_06/savedquery/SavedQuery.xsd",
                 lint);

    Sq0709::ExecuteSavedQueriesInput input0709;
    Sq0709::SavedQueriesResponse response0709;
    Sq0806::ExecuteSavedQueriesInput input0806;
    for (int i = random.count(); i > 0; --i) {
      Sq0709::QueryInput query;
      Sq0806::QueryInput query0806;
      query.setQuery(random.modelObject());
      query0806.setQuery(random.modelObject());
      query.setMaxNumToReturn(random.anyInt());
      query0806.setMaxNumToReturn(random.anyInt());
      query.setResultsType(random.anyInt());
      query0806.setResultsType(random.anyInt());
      query0806.setClientId(random.text());
      query0806.setRequestId(random.text());
      for (int j = random.count(); j > 0; --j) {
        query.addLimitList(random.modelObject());
        query0806.addEntrie(random.text());
      }
      for (int j = random.count(); j > 0; --j) {
        query.addEntrie(random.text());
        query0806.addValue(random.text());
      }
      for (int j = random.count(); j > 0; --j) {
        query.addValue(random.text());
        query0806.addLimitList(random.modelObject());
      }
      input0709.addInput(query);
      input0806.addInput(query0806);
      Sq0709::QueryResults results;
      for (int j = random.count(); j > 0; --j)
        results.addObjectUIDS(random.text());
      for (int j = random.count(); j > 0; --j)
        results.addObjectsRelMap(random.anyInt());
      response0709.addArrayOfResult(results);
    }
    response0709.setServiceData(random.serviceData());
    const std::string schema0709 = "query/2007_09/savedquery/SavedQuery.xsd";
    expectStable(input0709, "ExecuteSavedQueriesInput", schema0709, lint);
    expectStable(response0709, "SavedQueriesResponse", schema0709, lint);
    expectStable(input0806, "ExecuteSavedQueriesInput", "query/2008_06/savedquery/SavedQuery.xsd",
                 lint);
  });
}

TEST(RoundTripPropertyTest, InternalFinder2008_06) {
  namespace If0806 = ::Corvanthel::Schemas::Internal::Query::_2008_06::Finder;
  const std::string schema = "internal/query/2008_06/finder/Finder.xsd";
  forEachCase([&schema](Random& random, bool lint) {
    const auto attrAndValues = [&random] {
      If0806::FindObjectsAttrAndValues entry(random.text());
      for (int i = random.count(); i > 0; --i)
        entry.addValue(random.text());
      return entry;
    };
    If0806::FindObjectsInput find(random.text(), random.text());
    for (int i = random.count(); i > 0; --i)
      find.addAttrAndValue(attrAndValues());
    for (int i = random.count(); i > 0; --i)
      find.addOutputAttributeName(random.text());
    expectStable(If0806::FindObjectsByClassAndAttributesInput(find),
                 "FindObjectsByClassAndAttributesInput", schema, lint);

    If0806::FindObjectsResponse response(random.serviceData());
    for (int i = random.count(); i > 0; --i)
      response.addResult(random.modelObject());
    for (int i = random.count(); i > 0; --i)
      response.addAttrAndValue(attrAndValues());
    expectStable(response, "FindObjectsResponse", schema, lint);
  });
}
#endif

}  // namespace
