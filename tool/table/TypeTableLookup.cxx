// Look-ups on the generated type table.
#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

TypeTable::TypeTable(const TypeInfo* types, std::size_t typeCount, const FieldInfo* fields,
                     std::size_t fieldCount, const DocumentElement* documents,
                     std::size_t documentCount)
    : types_(types),
      typeCount_(typeCount),
      fields_(fields),
      fieldCount_(fieldCount),
      documents_(documents),
      documentCount_(documentCount) {}

Range<FieldInfo> TypeTable::fields(const TypeInfo& type) const {
  if (type.firstField + type.fieldCount > fieldCount_)
    return {fields_, 0};
  return {fields_ + type.firstField, type.fieldCount};
}

const FieldInfo* TypeTable::findElementField(const TypeInfo& type, std::string_view xmlName) const {
  for (const FieldInfo& field : fields(type)) {
    if (!field.attribute && xmlName == field.xmlName)
      return &field;
  }
  return nullptr;
}

const TypeInfo* TypeTable::findDocument(const std::string& namespaceUri,
                                        std::string_view localName) const {
  for (std::size_t i = 0; i < documentCount_; ++i) {
    const TypeInfo& type = types_[documents_[i].type];
    if (localName == documents_[i].name && namespaceUri == type.namespaceUri)
      return &type;
  }
  return nullptr;
}

std::string TypeTable::rootName(const TypeInfo& type) const {
  for (std::size_t i = 0; i < documentCount_; ++i) {
    if (&types_[documents_[i].type] == &type)
      return documents_[i].name;
  }
  return type.name;
}

TypeLookup TypeTable::find(const std::string& typeName) const {
  const std::size_t colon = typeName.rfind(':');
  const bool qualified = colon != std::string::npos;
  const std::string name = qualified ? typeName.substr(colon + 1) : typeName;
  const std::string qualifier = qualified ? typeName.substr(0, colon) : std::string();
  std::vector<const TypeInfo*> matches;
  for (const TypeInfo& type : types()) {
    if (name == type.name &&
        (!qualified || qualifier == type.version || qualifier == type.namespaceUri)) {
      matches.push_back(&type);
    }
  }
  TypeLookup lookup;
  if (matches.size() == 1) {
    lookup.type = matches.front();
  } else if (matches.empty()) {
    lookup.error = "no type \"" + typeName + "\"; pelagon types lists them";
  } else {
    lookup.error = "\"" + typeName + "\" is a type of several versions:";
    for (const TypeInfo* type : matches) {
      lookup.error += std::string(type == matches.front() ? " \"" : ", \"") + type->version + ":" +
                      type->name + "\"";
    }
  }
  return lookup;
}

}  // namespace Tool
}  // namespace Pelagon
