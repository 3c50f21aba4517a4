// The sample message of a type, built from the type table.
#include "SampleWriter.hxx"

#include <varnicore/Conversions.hxx>

namespace Pelagon {
namespace Tool {

namespace {

// Writes the text of a sample document; values are numbered in document order.
class SampleWriter {
 public:
  explicit SampleWriter(const TypeTable& table) : table_(table) {}

  std::string document(const TypeInfo& type) {
    element(type, table_.rootName(type), type.namespaceUri, "");
    return out_;
  }

 private:
  // How many elements a field gets: one for a single child, two for a list, none for an
  // attribute.
  static int elementsOf(const FieldInfo& field) {
    if (field.attribute)
      return 0;
    return field.list ? 2 : 1;
  }

  std::string value(const FieldInfo& field) {
    const int number = ++counter_;
    switch (field.kind) {
      case FieldKind::Int:
      case FieldKind::IntList:
        return std::to_string(number);
      case FieldKind::Date: {
        const int day = 1 + (number - 1) % 28;
        return std::string("2008-06-") + (day < 10 ? "0" : "") + std::to_string(day) + "T09:30:00";
      }
      default:
        return std::string(field.xmlName) + "-" + std::to_string(number);
    }
  }

  void open(const std::string& name, const std::string& ns, const std::string& parentNs) {
    out_ += '<' + name;
    if (ns != parentNs)
      out_ += " xmlns=\"" + ::Corvanthel::Soa::Common::Xml::toXmlString(ns) + '"';
  }

  // An element of type named name in namespace ns. Its own element fields are in the namespace of
  // its type; a reference is in the namespace of the element it refers to.
  void element(const TypeInfo& type, const std::string& name, const std::string& ns,
               const std::string& parentNs) {
    open(name, ns, parentNs);
    const std::string fieldNs = type.namespaceUri;
    const Range<FieldInfo> fields = table_.fields(type);
    for (const FieldInfo& field : fields) {
      if (field.attribute) {
        out_ += std::string(" ") + field.xmlName + "=\"" +
                ::Corvanthel::Soa::Common::Xml::toXmlString(value(field)) + '"';
      }
    }
    out_ += '>';
    for (const FieldInfo& field : fields) {
      const int count = elementsOf(field);
      for (int i = 0; i < count; ++i) {
        if (field.entryType != kNoType) {
          const TypeInfo& entryType = table_.type(field.entryType);
          element(entryType, field.xmlName,
                  field.kind == FieldKind::Ref ? entryType.namespaceUri : fieldNs, ns);
        } else {
          open(field.xmlName, fieldNs, ns);
          out_ += '>' + value(field) + "</" + field.xmlName + '>';
        }
      }
    }
    out_ += "</" + name + '>';
  }

  const TypeTable& table_;
  std::string out_;
  int counter_ = 0;
};

}  // namespace

std::string sampleDocument(const TypeTable& table, const TypeInfo& type) {
  return SampleWriter(table).document(type);
}

std::string sampleMessage(const TypeTable& table, const TypeInfo& type) {
  const ::Corvanthel::Soa::Common::Xml::XMLDocument document =
      ::Corvanthel::Soa::Common::Xml::XMLDocument::parse(sampleDocument(table, type));
  return type.rewrite(document.getRootElement(), table.rootName(type));
}

}  // namespace Tool
}  // namespace Pelagon
