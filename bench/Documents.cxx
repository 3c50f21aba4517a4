#include "Documents.hxx"

#include <charconv>
#include <random>

namespace PelagonBench {

namespace {

using Corvanthel::Schemas::Soa::_2006_03::Base::ModelObject;
using Corvanthel::Soa::Common::DateTime;
using Corvanthel::Soa::Common::Xml::appendXmlString;

const std::string kBaseNs = "http://schemas.corvanthel.example/Schemas/Soa/2006-03/Base";

std::string uid(std::mt19937& random) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string text(14, ' ');
  for (char& c : text)
    c = kLetters[random() % (sizeof kLetters - 1)];
  return text;
}

// 10 to 80 characters: mostly ASCII, some two- and three-byte UTF-8, about 5% markup characters.
std::string mixedText(std::mt19937& random) {
  static const char* const kPieces[] = {"a", "e", "t", "o", "n", "s", " ", "R",  "7",
                                        "-", "ä", "ß", "€", "&", "<", ">", "\"", "'"};
  const std::size_t length = 10 + random() % 71;
  std::string text;
  while (text.size() < length) {
    const unsigned roll = random() % 100;
    if (roll < 5) {
      text += kPieces[13 + random() % 5];
    } else if (roll < 10) {
      text += kPieces[10 + random() % 3];
    } else {
      text += kPieces[random() % 10];
    }
  }
  return text;
}

void appendInt(std::string& out, int value) {
  char digits[16];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void appendTwoDigits(std::string& out, int value) {
  out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

void appendDate(std::string& out, const DateTime& date) {
  appendTwoDigits(out, date.year() / 100);
  appendTwoDigits(out, date.year() % 100);
  out += '-';
  appendTwoDigits(out, date.month());
  out += '-';
  appendTwoDigits(out, date.day());
  out += 'T';
  appendTwoDigits(out, date.hour());
  out += ':';
  appendTwoDigits(out, date.minute());
  out += ':';
  appendTwoDigits(out, date.second());
}

void appendAttribute(std::string& out, const char* name, const std::string& value) {
  out += ' ';
  out += name;
  out += "=\"";
  appendXmlString(out, value);
  out += '"';
}

void appendModelObject(std::string& out, const std::string& name, const ModelObject& object) {
  out += '<';
  out += name;
  appendAttribute(out, "uid", object.getUid());
  appendAttribute(out, "type", object.getType());
  out += "></";
  out += name;
  out += '>';
}

std::string rootStart(const char* name, const std::string& ns, const char* prefix, bool withBase) {
  std::string out = "<";
  out += name;
  out += " xmlns:";
  out += prefix;
  out += "=\"" + ns + "\"";
  if (withBase)
    out += " xmlns:base=\"" + kBaseNs + "\"";
  out += " xmlns=\"" + ns + "\"";
  return out;
}

}  // namespace

Sq0706::ExecuteSavedQueriesResponse makeResults(int results) {
  std::mt19937 random(1);
  static const char* const kTypes[] = {"Item", "ItemRevision", "Dataset", "Folder"};
  Sq0706::ExecuteSavedQueriesResponse response;
  for (int r = 0; r < results; ++r) {
    Sq0706::SavedQueryResults result(100);
    std::vector<int> map;
    std::vector<ModelObject> objects;
    for (int i = 0; i < 100; ++i) {
      map.push_back(static_cast<int>(random() % 1000002) - 1);
      objects.emplace_back(uid(random), kTypes[random() % 4]);
    }
    result.setObjectsRelMapArray(map);
    result.setObjectArray(objects);
    response.addArrayOfResult(result);
  }
  return response;
}

Finder0706::FindWorkspaceObjectsInput makeCriteria(int sets) {
  std::mt19937 random(2);
  const auto date = [&random] {
    return DateTime(1990 + static_cast<int>(random() % 30), 1 + static_cast<int>(random() % 12),
                    1 + static_cast<int>(random() % 28), static_cast<int>(random() % 24),
                    static_cast<int>(random() % 60), static_cast<int>(random() % 60));
  };
  Finder0706::FindWorkspaceObjectsInput input;
  for (int s = 0; s < sets; ++s) {
    Finder0706::WSOFindSet set;
    for (int c = 0; c < 10; ++c) {
      std::string name = "PUMP-" + std::to_string(random() % 100000) + "*";
      if (random() % 20 == 0)
        name += " & <spare>";
      set.addCriteria(Finder0706::WSOFindCriteria(
          date(), "Item", date(), name, date(), date(), date(), "Home", date(),
          ModelObject(uid(random), "User"), ModelObject(uid(random), "Group")));
    }
    input.addFindList(set);
  }
  return input;
}

Sq0603::ExecuteSavedQueryInput makeStrings(int entries) {
  std::mt19937 random(3);
  Sq0603::ExecuteSavedQueryInput input(entries, ModelObject(uid(random), "SavedQuery"));
  std::vector<std::string> names;
  std::vector<std::string> values;
  for (int i = 0; i < entries; ++i) {
    names.push_back(mixedText(random));
    values.push_back(mixedText(random));
  }
  input.setEntrieArray(names);
  input.setValueArray(values);
  return input;
}

std::string appendResults(const Sq0706::ExecuteSavedQueriesResponse& response) {
  const std::string ns = "http://schemas.corvanthel.example/Schemas/Query/2007-06/SavedQuery";
  std::string out = rootStart("ExecuteSavedQueriesResponse", ns, "savedquery", true);
  out += '>';
  for (const Sq0706::SavedQueryResults& result : response.getArrayOfResultArray()) {
    out += "<savedquery:arrayOfResults numOfObjects=\"";
    appendInt(out, result.getNumOfObjects());
    out += "\">";
    for (int value : result.getObjectsRelMapArray()) {
      out += "<savedquery:objectsRelMap>";
      appendInt(out, value);
      out += "</savedquery:objectsRelMap>";
    }
    for (const ModelObject& object : result.getObjectArray()) {
      appendModelObject(out, "savedquery:objects", object);
    }
    out += "</savedquery:arrayOfResults>";
  }
  out += "<ServiceData xmlns=\"" + kBaseNs + "\"></ServiceData></ExecuteSavedQueriesResponse>";
  return out;
}

std::string appendCriteria(const Finder0706::FindWorkspaceObjectsInput& input) {
  const std::string ns = "http://schemas.corvanthel.example/Schemas/Query/2007-06/Finder";
  std::string out = rootStart("FindWorkspaceObjectsInput", ns, "finder", true);
  out += '>';
  for (const Finder0706::WSOFindSet& set : input.getFindListArray()) {
    out += "<finder:findList>";
    for (const Finder0706::WSOFindCriteria& c : set.getCriteriaArray()) {
      const auto date = [&out](const char* name, const DateTime& value) {
        out += ' ';
        out += name;
        out += "=\"";
        appendDate(out, value);
        out += '"';
      };
      out += "<finder:criterias";
      date("modifiedBefore", c.getModifiedBefore());
      appendAttribute(out, "objectType", c.getObjectType());
      date("createdBefore", c.getCreatedBefore());
      appendAttribute(out, "objectName", c.getObjectName());
      date("releasedBefore", c.getReleasedBefore());
      date("createdAfter", c.getCreatedAfter());
      date("releasedAfter", c.getReleasedAfter());
      appendAttribute(out, "scope", c.getScope());
      date("modifiedAfter", c.getModifiedAfter());
      out += '>';
      appendModelObject(out, "finder:owner", c.getOwner());
      appendModelObject(out, "finder:group", c.getGroup());
      out += "</finder:criterias>";
    }
    out += "</finder:findList>";
  }
  out += "</FindWorkspaceObjectsInput>";
  return out;
}

std::string appendStrings(const Sq0603::ExecuteSavedQueryInput& input) {
  const std::string ns = "http://schemas.corvanthel.example/Schemas/Query/2006-03/SavedQuery";
  std::string out = rootStart("ExecuteSavedQueryInput", ns, "savedquery", true);
  out += " limit=\"";
  appendInt(out, input.getLimit());
  out += "\">";
  appendModelObject(out, "savedquery:query", input.getQuery());
  for (const std::string& entry : input.getEntrieArray()) {
    out += "<savedquery:entries>";
    appendXmlString(out, entry);
    out += "</savedquery:entries>";
  }
  for (const std::string& value : input.getValueArray()) {
    out += "<savedquery:values>";
    appendXmlString(out, value);
    out += "</savedquery:values>";
  }
  out += "</ExecuteSavedQueryInput>";
  return out;
}

}  // namespace PelagonBench
