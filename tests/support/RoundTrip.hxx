// Writing, reading and round-trip checks shared by the tests of the schema types.
#ifndef PELAGON_TEST_ROUNDTRIP_HXX
#define PELAGON_TEST_ROUNDTRIP_HXX

#include <string>

#include <gtest/gtest.h>

#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>

#include "XmlLint.hxx"

namespace PelagonTest {

/// The path of a schema file in the source tree, e.g.
/// schemaFile("query/2006_03/savedquery/SavedQuery.xsd").
inline std::string schemaFile(const std::string& relative) {
  return std::string(PELAGON_SCHEMA_DIR) + "/" + relative;
}

/// The text of object written as the root element rootName.
template <class T>
std::string write(const T& object, const std::string& rootName) {
  Corvanthel::Soa::Common::Xml::XmlStream stream;
  object.outputXML(stream, rootName);
  return stream.str();
}

/// A new object of type T read from the root element of text.
template <class T>
T read(const std::string& text) {
  const auto document = Corvanthel::Soa::Common::Xml::XMLDocument::parse(text);
  T object;
  object.parse(document.getRootElement());
  return object;
}

/// The message of the DomException that reading text into a T throws, or "no DomException".
template <class T>
std::string readError(const std::string& text) {
  try {
    read<T>(text);
  } catch (const Corvanthel::Soa::Common::Exceptions::DomException& error) {
    return error.getMessage();
  }
  return "no DomException";
}

/// True when part occurs in text.
inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

/// Writes object, reads the text into a fresh object and writes that again: the two texts must be
/// the same, and the first must pass xmllint against the schema file (relative to the schema
/// folder). Returns the text.
template <class T>
std::string expectRoundTrip(const T& object, const std::string& rootName,
                            const std::string& schema) {
  const std::string text = write(object, rootName);
  EXPECT_EQ(write(read<T>(text), rootName), text);
  const LintResult lint = xmllint(text, schemaFile(schema));
  EXPECT_TRUE(lint.ok) << lint.output << "\nin: " << text;
  return text;
}

}  // namespace PelagonTest

#endif  // PELAGON_TEST_ROUNDTRIP_HXX
