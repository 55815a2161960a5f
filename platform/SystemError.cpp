#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace korvane {

bool FailWith(int err, std::string* error) {
  if (error) *error = std::strerror(err);
  errno = err;
  return false;
}

bool FailWith(int err, std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(err);
  errno = err;
  return false;
}

}  // namespace korvane
