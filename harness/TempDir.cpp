#include "harness/TempDir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace korvane::test {

namespace fs = std::filesystem;

TTempDir::TTempDir() {
  std::string pattern = (fs::temp_directory_path() / "korvane-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  FPath = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ec;
  // Tests may leave folders without permissions behind; give them back first.
  for (auto it = fs::recursive_directory_iterator(FPath, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(FPath, ec);
}

std::string TTempDir::WriteFile(const std::string& relative, const std::string& bytes) const {
  const fs::path p = fs::path(FPath) / relative;
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + p.string());
  return p.string();
}

std::string TTempDir::MakeDir(const std::string& relative) const {
  const fs::path p = fs::path(FPath) / relative;
  fs::create_directories(p);
  return p.string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace korvane::test
