// Reads arbitrary bytes as a document into a fresh object of every document type of the type table,
// writes each filled object, reads that text once more and writes it again. Only the runtime's own
// exceptions may leave the library; the library's output must read back and write to the same
// text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>

#include "TypeTable.hxx"

namespace {

using Corvanthel::Soa::Common::Exceptions::DomException;
using Corvanthel::Soa::Common::Exceptions::InvalidXmlText;
using Corvanthel::Soa::Common::Xml::TryingToCreateNullHandle;
using Corvanthel::Soa::Common::Xml::XMLDocument;
using Corvanthel::Soa::Common::Xml::XMLNode;
using Pelagon::Tool::TypeInfo;
using Pelagon::Tool::TypeTable;

struct DocumentType {
  const TypeInfo* type;
  std::string rootName;
};

// Every type that a global element of a schema has, with the name of that element.
const std::vector<DocumentType>& documentTypes() {
  static const std::vector<DocumentType> types = [] {
    const TypeTable& table = Pelagon::Tool::typeTable();
    std::vector<DocumentType> found;
    for (const TypeInfo& type : table.types()) {
      if (type.document)
        found.push_back({&type, table.rootName(type)});
    }
    return found;
  }();
  return types;
}

[[noreturn]] void finding(const DocumentType& document, const char* what,
                          const std::string& detail) {
  std::fprintf(stderr, "%s:%s: %s\n%s\n", document.type->version, document.type->name, what,
               detail.c_str());
  std::abort();
}

void readWriteRead(const DocumentType& document, const XMLNode& root) {
  std::string first;
  try {
    first = document.type->rewrite(root, document.rootName);
  } catch (const DomException&) {
    return;
  } catch (const TryingToCreateNullHandle&) {
    return;
  } catch (const InvalidXmlText&) {
    return;
  }
  // What the library wrote, it reads back into the same object.
  try {
    const XMLDocument again = XMLDocument::parse(first);
    const std::string second = document.type->rewrite(again.getRootElement(), document.rootName);
    if (second != first)
      finding(document, "writes differently after a read of its own output", first + "\n" + second);
  } catch (const DomException& error) {
    finding(document, "cannot read its own output", error.getMessage() + "\n" + first);
  } catch (const InvalidXmlText& error) {
    finding(document, "cannot write what it read from its own output", error.what());
  }
}

}  // namespace

// Says which types the run covers, so that a log shows a new schema's types among them.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::fprintf(
      stderr, "pelagon_fuzz: every input is read into %zu document types:", documentTypes().size());
  for (const DocumentType& document : documentTypes())
    std::fprintf(stderr, " \"%s:%s\"", document.type->version, document.type->name);
  std::fprintf(stderr, "\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const XMLDocument document = XMLDocument::parse(std::move(text));
    const XMLNode root = document.getRootElement();
    for (const DocumentType& type : documentTypes())
      readWriteRead(type, root);
  } catch (const DomException&) {
  }
  return 0;
}
