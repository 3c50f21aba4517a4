// Indenting a written document without touching its values.
#include "Layout.hxx"

#include <varnicore/Conversions.hxx>
#include <varnicore/XMLDocument.hxx>

namespace Pelagon {
namespace Tool {

namespace {

namespace Xml = ::Corvanthel::Soa::Common::Xml;

bool hasMixedContent(const Xml::XMLNode& node) {
  if (node.getChildCount() == 0)
    return false;
  if (!node.getText().empty())
    return true;
  for (const Xml::XMLNode& child : node.getChildren()) {
    if (hasMixedContent(child))
      return true;
  }
  return false;
}

void writeElement(const Xml::XMLNode& node, int depth, int indent, std::string& out) {
  const std::string name(node.getName());
  out.append(static_cast<std::size_t>(depth * indent), ' ');
  out += '<' + name;
  for (const std::string& attribute : node.getAttrNames()) {
    out += ' ' + attribute + "=\"";
    Xml::appendXmlString(out, node.getAttr(attribute));
    out += '"';
  }
  if (node.getChildCount() == 0) {
    const std::string text = node.getText();
    if (text.empty()) {
      out += "/>\n";
      return;
    }
    out += '>';
    Xml::appendXmlString(out, text);
    out += "</" + name + ">\n";
    return;
  }
  out += ">\n";
  for (const Xml::XMLNode& child : node.getChildren())
    writeElement(child, depth + 1, indent, out);
  out.append(static_cast<std::size_t>(depth * indent), ' ');
  out += "</" + name + ">\n";
}

}  // namespace

std::string laidOut(const std::string& written, int indent) {
  if (indent < 0)
    return written + "\n";
  const Xml::XMLDocument document = Xml::XMLDocument::parse(written);
  const Xml::XMLNode root = document.getRootElement();
  if (hasMixedContent(root))
    return written + "\n";
  std::string out;
  writeElement(root, 0, indent, out);
  return out;
}

}  // namespace Tool
}  // namespace Pelagon
