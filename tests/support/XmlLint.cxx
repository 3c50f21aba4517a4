#include "XmlLint.hxx"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace PelagonTest {

namespace {

std::string shellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string writeTempFile(const std::string& content) {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/pelagon-lint-XXXXXX";
  std::vector<char> path(pattern.begin(), pattern.end());
  path.push_back('\0');
  const int fd = mkstemp(path.data());
  if (fd < 0)
    throw std::runtime_error("xmllint: cannot create a temporary file");
  std::size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = write(fd, content.data() + written, content.size() - written);
    if (n <= 0) {
      close(fd);
      unlink(path.data());
      throw std::runtime_error("xmllint: cannot write the temporary file");
    }
    written += static_cast<std::size_t>(n);
  }
  close(fd);
  return path.data();
}

// xmllint reports success of a schema validation as "<file> validates"; anything else it says is
// a complaint.
bool onlyValidates(const std::string& output, const std::string& file) {
  return output.empty() || output == file + " validates\n";
}

}  // namespace

LintResult xmllint(const std::string& document, const std::string& schemaPath) {
  const std::string file = writeTempFile(document);
  std::string command = shellQuoted(PELAGON_XMLLINT) + " --noout";
  if (!schemaPath.empty())
    command += " --schema " + shellQuoted(schemaPath);
  command += " " + shellQuoted(file) + " 2>&1";

  LintResult result{false, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    unlink(file.c_str());
    throw std::runtime_error("xmllint: cannot start " + command);
  }
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
    result.output.append(chunk, n);
  const int status = pclose(pipe);
  unlink(file.c_str());
  result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && onlyValidates(result.output, file);
  return result;
}

}  // namespace PelagonTest
