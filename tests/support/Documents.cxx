#include "Documents.hxx"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include <varnicore/Exceptions.hxx>
#include <varnicore/XMLDocument.hxx>

namespace PelagonTest {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> documentsIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->path().extension() == ".xml")
      names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string parseError(const std::string& text) {
  try {
    Corvanthel::Soa::Common::Xml::XMLDocument::parse(text);
  } catch (const Corvanthel::Soa::Common::Exceptions::DomException& error) {
    return error.getMessage();
  }
  return "parsed";
}

}  // namespace PelagonTest
