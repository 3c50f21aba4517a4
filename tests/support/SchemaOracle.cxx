#include "SchemaOracle.hxx"

#include <regex>
#include <stdexcept>
#include <utility>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

namespace PelagonTest {

namespace {

void collect(void* context, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR)
    return;
  std::string message = error->message ? error->message : "";
  while (!message.empty() && message.back() == '\n')
    message.pop_back();
  static_cast<std::vector<std::string>*>(context)->push_back(std::move(message));
}

void ignore(void*, const char*, ...) {}

// An xs:int, as XML Schema 1.0 has it: a sign, decimal digits, 32 bits.
bool isInt(const std::string& text) {
  static const std::regex kInt("[+-]?[0-9]+");
  if (!std::regex_match(text, kInt))
    return false;
  try {
    const long long value = std::stoll(text);
    return value >= -2147483648LL && value <= 2147483647LL;
  } catch (const std::out_of_range&) {
    return false;
  }
}

}  // namespace

SchemaOracle::SchemaOracle(std::string folder) : folder_(std::move(folder)) {
  xmlInitParser();
}

SchemaOracle::~SchemaOracle() {
  for (auto& [file, schema] : schemas_)
    xmlSchemaFree(schema);
}

_xmlSchema* SchemaOracle::schema(const std::string& schemaFile) {
  const auto known = schemas_.find(schemaFile);
  if (known != schemas_.end())
    return known->second;
  const std::string path = folder_ + "/" + schemaFile;
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.c_str());
  xmlSchemaPtr parsed = parser ? xmlSchemaParse(parser) : nullptr;
  xmlSchemaFreeParserCtxt(parser);
  if (parsed == nullptr)
    throw std::runtime_error("libxml2 cannot read the schema " + path);
  schemas_.emplace(schemaFile, parsed);
  return parsed;
}

SchemaVerdict SchemaOracle::judge(std::string_view bytes, const std::string& schemaFile) {
  SchemaVerdict verdict;
  xmlSchemaPtr compiled = schema(schemaFile);
  xmlSetGenericErrorFunc(nullptr, ignore);
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  xmlDocPtr document =
      xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "document.xml", nullptr, options);
  if (document == nullptr)
    return verdict;
  verdict.wellFormed = true;
  xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(compiled);
  xmlSchemaSetValidStructuredErrors(validator, collect, &verdict.errors);
  verdict.valid = xmlSchemaValidateDoc(validator, document) == 0 && verdict.errors.empty();
  xmlSchemaFreeValidCtxt(validator);
  xmlFreeDoc(document);
  return verdict;
}

namespace {

const char kBlanksAroundInt[] =
    "libxml2 refuses blanks around an xs:int, which whitespace collapsing removes";
const char kCdataBlanks[] =
    "libxml2 counts a CDATA section as text even when it is empty or, in element-only content, "
    "holds whitespace only";

// An error about an xs:int with blanks around it, which collapsing removes.
bool isBlanksAroundInt(const std::string& error) {
  static const std::regex kMessage(
      "(?:Element|Element '[^']*', attribute) '[^']*': '([^']*)' is not a valid value of the "
      "atomic type 'xs:int'\\.");
  std::smatch match;
  if (!std::regex_match(error, match, kMessage))
    return false;
  const std::string value = match[1];
  const std::size_t first = value.find_first_not_of(" \t\r\n");
  const std::size_t last = value.find_last_not_of(" \t\r\n");
  return first != std::string::npos && (first != 0 || last + 1 != value.size()) &&
         isInt(value.substr(first, last - first + 1));
}

// An error about text where the content allows none but whitespace, or none at all.
bool isTextInElementContent(const std::string& error) {
  return error.find(
             "Character content other than whitespace is not allowed because the "
             "content type is 'element-only'") != std::string::npos ||
         error.find("Character content is not allowed, because the content type is empty") !=
             std::string::npos;
}

}  // namespace

std::string libxml2Departure(SchemaOracle& oracle, const SchemaVerdict& verdict,
                             std::string_view bytes, const std::string& schemaFile) {
  if (!verdict.wellFormed || verdict.valid || verdict.errors.empty())
    return "";
  bool blanks = false;
  bool text = false;
  for (const std::string& error : verdict.errors) {
    if (isBlanksAroundInt(error)) {
      blanks = true;
    } else if (isTextInElementContent(error)) {
      text = true;
    } else {
      return "";
    }
  }
  if (!text)
    return kBlanksAroundInt;
  static const std::regex kWhitespaceCdata("<!\\[CDATA\\[([ \t\r\n]*)\\]\\]>");
  const std::string repaired = std::regex_replace(std::string(bytes), kWhitespaceCdata, "$1");
  if (repaired == bytes)
    return "";
  const SchemaVerdict again = oracle.judge(repaired, schemaFile);
  for (const std::string& error : again.errors) {
    if (!isBlanksAroundInt(error))
      return "";
  }
  return !again.wellFormed ? ""
         : blanks          ? std::string(kBlanksAroundInt) + "; " + kCdataBlanks
                           : kCdataBlanks;
}

namespace {

void appendElements(xmlNodePtr node, std::vector<xmlNodePtr>& out) {
  for (; node != nullptr; node = node->next) {
    if (node->type == XML_ELEMENT_NODE) {
      out.push_back(node);
      appendElements(node->children, out);
    }
  }
}

}  // namespace

std::vector<_xmlNode*> elementsOf(_xmlNode* node) {
  std::vector<xmlNodePtr> out;
  appendElements(node, out);
  return out;
}

std::string serialized(_xmlDoc* document) {
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(document, &text, &size, "UTF-8");
  std::string out(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
  xmlFree(text);
  return out;
}

}  // namespace PelagonTest
