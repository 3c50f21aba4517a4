// Reading whole files, or standard input, as bytes.
#include "Input.hxx"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Pelagon {
namespace Tool {

namespace {

bool readAll(std::FILE* file, std::string& text, std::string& error) {
  char buffer[65536];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, count);
  if (std::ferror(file)) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

bool readInput(const std::string& path, std::string& text, std::string& error) {
  text.clear();
  if (path == "-")
    return readAll(stdin, text, error);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  errno = 0;
  const bool ok = readAll(file, text, error);
  std::fclose(file);
  return ok;
}

std::string displayName(const std::string& path) {
  return path == "-" ? "<stdin>" : path;
}

}  // namespace Tool
}  // namespace Pelagon
