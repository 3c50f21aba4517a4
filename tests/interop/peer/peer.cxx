// The peer of the interop test: bindings that a schema-aware binder generated from the installed
// schema files, over a validating parser. It knows no type by name: the binder's element map finds
// the type of a document's root element, and the binder's generated printers list its fields.
//
// Usage:
//   peer LOCATIONS version
//   peer LOCATIONS dump IN OUT [IN OUT]...
//       reads IN, validating it, and writes every field of the object read to OUT.
//   peer LOCATIONS write IN ENCODING STYLE OUT [ENCODING STYLE OUT]...
//       reads IN once, validating it, and writes the object read to each OUT in ENCODING. STYLE
//       "default" declares the root's namespace as the default one and indents; "prefixed" gives
//       every namespace a prefix and indents; "compact" lets the binder choose the prefixes and
//       writes no white space between elements.
// LOCATIONS is "NAMESPACE FILE NAMESPACE FILE ...", the schema file of every namespace; the
// hints in the documents are not used.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/LocalFileFormatTarget.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/util/XercesVersion.hpp>

// The binder's header of the built-in types comes first: it configures the binder's runtime.
#include "xml-schema.hxx"

#include <xsd/cxx/tree/element-map.hxx>
#include <xsd/cxx/tree/error-handler.hxx>
#include <xsd/cxx/tree/std-ostream-map.hxx>
#include <xsd/cxx/xml/dom/auto-ptr.hxx>
#include <xsd/cxx/xml/dom/parsing-source.hxx>
#include <xsd/cxx/xml/dom/serialization-source.hxx>

namespace {

using ElementMap = ::xsd::cxx::tree::element_map<char, ::xml_schema::type>;
using Element = ::xsd::cxx::tree::element_type<char, ::xml_schema::type>;

struct Failure {
  std::string message;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw Failure{path + ": cannot open"};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The schema file of every namespace, from "NAMESPACE FILE NAMESPACE FILE ...".
::xml_schema::properties schemaLocations(const std::string& locations) {
  ::xml_schema::properties properties;
  std::istringstream pairs(locations);
  std::string ns, file;
  while (pairs >> ns >> file)
    properties.schema_location(ns, file);
  return properties;
}

// Reads a document, validating it against the schema files, into the object of its root element.
std::unique_ptr<Element> readDocument(const std::string& path,
                                      const ::xml_schema::properties& properties) {
  const std::string text = readFile(path);
  xercesc::MemBufInputSource input(reinterpret_cast<const XMLByte*>(text.data()), text.size(),
                                   path.c_str());
  ::xsd::cxx::tree::error_handler<char> errors;
  auto document = ::xsd::cxx::xml::dom::parse<char>(input, errors, properties, 0);
  errors.throw_if_failed<::xml_schema::parsing>();
  if (document.get() == nullptr)
    throw Failure{path + ": not read"};
  return std::unique_ptr<Element>(ElementMap::parse(*document->getDocumentElement()).release());
}

std::string fieldDump(const Element& element) {
  std::ostringstream out;
  out << element._namespace() << ' ' << element._name();
  ::xsd::cxx::tree::std_ostream_map_instance<0, char>().insert(out, *element._value());
  out << '\n';
  return out.str();
}

void writeDocument(const Element& element, const std::string& encoding, const std::string& style,
                   const std::string& path) {
  ::xml_schema::namespace_infomap namespaces;
  unsigned long flags = 0;
  if (style == "default") {
    namespaces[""].name = element._namespace();
  } else if (style == "prefixed") {
    namespaces["q"].name = element._namespace();
  } else if (style == "compact") {
    flags = ::xml_schema::flags::dont_pretty_print;
  } else {
    throw Failure{"unknown style " + style};
  }
  auto document = ::xsd::cxx::xml::dom::serialize<char>(element._name(), element._namespace(),
                                                        namespaces, flags);
  ElementMap::serialize(*document->getDocumentElement(), element);

  // The binder's own writer, with one option more: a byte order mark, which the XML
  // Recommendation requires of UTF-16 and allows in UTF-8.
  XMLCh ls[] = {xercesc::chLatin_L, xercesc::chLatin_S, xercesc::chNull};
  xercesc::DOMImplementation* implementation =
      xercesc::DOMImplementationRegistry::getDOMImplementation(ls);
  std::unique_ptr<xercesc::DOMLSSerializer, void (*)(xercesc::DOMLSSerializer*)> writer(
      implementation->createLSSerializer(), [](xercesc::DOMLSSerializer* w) { w->release(); });
  xercesc::DOMConfiguration* config = writer->getDomConfig();
  config->setParameter(xercesc::XMLUni::fgDOMWRTFormatPrettyPrint, flags == 0);
  config->setParameter(xercesc::XMLUni::fgDOMWRTBOM, encoding == "UTF-16");
  std::unique_ptr<xercesc::DOMLSOutput, void (*)(xercesc::DOMLSOutput*)> output(
      implementation->createLSOutput(), [](xercesc::DOMLSOutput* o) { o->release(); });
  ::xsd::cxx::xml::string encodingName(encoding);
  output->setEncoding(encodingName.c_str());
  xercesc::LocalFileFormatTarget target(path.c_str());
  output->setByteStream(&target);
  if (!writer->write(document.get(), output.get()))
    throw Failure{path + ": not written in " + encoding};
}

int run(const std::vector<std::string>& args) {
  if (args.size() >= 2 && args[1] == "version") {
    std::cout << XERCES_FULLVERSIONDOT << '\n';
    return 0;
  }
  if (args.size() >= 4 && args[1] == "dump" && args.size() % 2 == 0) {
    const ::xml_schema::properties properties = schemaLocations(args[0]);
    for (std::size_t i = 2; i < args.size(); i += 2)
      std::ofstream(args[i + 1], std::ios::binary) << fieldDump(*readDocument(args[i], properties));
    return 0;
  }
  if (args.size() >= 6 && args[1] == "write" && (args.size() - 3) % 3 == 0) {
    const std::unique_ptr<Element> element = readDocument(args[2], schemaLocations(args[0]));
    for (std::size_t i = 3; i < args.size(); i += 3)
      writeDocument(*element, args[i], args[i + 1], args[i + 2]);
    return 0;
  }
  std::cerr << "usage: peer LOCATIONS (version | dump IN OUT... | "
               "write IN ENCODING STYLE OUT...)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  ::xsd::cxx::xml::auto_initializer xerces;
  try {
    return run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const ::xml_schema::exception& e) {
    std::cerr << "peer: " << e << '\n';
  } catch (const Failure& e) {
    std::cerr << "peer: " << e.message << '\n';
  }
  return 1;
}
