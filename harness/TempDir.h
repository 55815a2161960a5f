#pragma once
// A fresh folder under the system's temporary folder, removed with everything
// below it when the object goes.
#include <string>

namespace korvane::test {

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder, without a trailing '/'.
  const std::string& Path() const { return FPath; }
  // Path() + "/" + relative.
  std::string operator/(const std::string& relative) const { return FPath + "/" + relative; }

  // Writes a file of the given bytes (creating missing folders) and returns its path.
  std::string WriteFile(const std::string& relative, const std::string& bytes) const;
  // Creates the folder and missing parents and returns its path.
  std::string MakeDir(const std::string& relative) const;

 private:
  std::string FPath;
};

// Reads a whole file; "" when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace korvane::test
