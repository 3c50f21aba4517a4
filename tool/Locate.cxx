// Retracing reading and writing over a parsed tree to find where they fail.
#include "Locate.hxx"

#include <stdexcept>
#include <string>

#include <varnicore/Conversions.hxx>
#include <varnicore/DateTime.hxx>
#include <varnicore/Exceptions.hxx>

namespace Pelagon {
namespace Tool {

namespace {

namespace Xml = ::Corvanthel::Soa::Common::Xml;
using ::Corvanthel::Soa::Common::Exceptions::DomException;

bool converts(FieldKind kind, const std::string& text) {
  try {
    if (kind == FieldKind::Int || kind == FieldKind::IntList) {
      (void)Xml::lexical_cast<int>(text);
    } else if (kind == FieldKind::Date) {
      (void)Xml::lexical_cast<::Corvanthel::Soa::Common::DateTime>(text);
    }
    return true;
  } catch (const DomException&) {
    return false;
  }
}

bool writable(const std::string& text) {
  try {
    (void)Xml::toXmlString(text);
    return true;
  } catch (const std::invalid_argument&) {
    return false;
  }
}

}  // namespace

XMLNode findReadFailure(const TypeTable& table, const TypeInfo& type, const XMLNode& element) {
  const Range<FieldInfo> fields = table.fields(type);
  if (fields.empty())
    return XMLNode();
  for (const FieldInfo& field : fields) {
    if (isAttribute(field.kind) && !converts(field.kind, element.getAttr(field.xmlName)))
      return element;
  }
  for (const XMLNode& child : element.getChildren()) {
    const FieldInfo* field = table.findElementField(type, child.getLocalName());
    if (field == nullptr)
      return child;
    if (hasEntryType(field->kind)) {
      const XMLNode failure = findReadFailure(table, table.type(field->entryType), child);
      if (failure)
        return failure;
    } else if (!converts(field->kind, child.getText())) {
      return child;
    }
  }
  return XMLNode();
}

XMLNode findUnwritableText(const TypeTable& table, const TypeInfo& type, const XMLNode& element) {
  const Range<FieldInfo> fields = table.fields(type);
  for (const FieldInfo& field : fields) {
    if (field.kind == FieldKind::String && !writable(element.getAttr(field.xmlName)))
      return element;
  }
  for (const FieldInfo& field : fields) {
    if (isAttribute(field.kind))
      continue;
    for (const XMLNode& child : element.getChildren()) {
      if (child.getLocalName() != field.xmlName)
        continue;
      if (hasEntryType(field.kind)) {
        const XMLNode found = findUnwritableText(table, table.type(field.entryType), child);
        if (found)
          return found;
      } else if (field.kind == FieldKind::StringList && !writable(child.getText())) {
        return child;
      }
    }
  }
  return XMLNode();
}

}  // namespace Tool
}  // namespace Pelagon
