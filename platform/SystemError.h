#pragma once
// The failure of a system call as the program reports it: both set *error
// (when given) and errno to err and answer false, for a caller to return.
#include <string>

namespace korvane {

// *error: the text of err.
bool FailWith(int err, std::string* error);
// *error: "<what>: <the text of err>".
bool FailWith(int err, std::string* error, const std::string& what);

}  // namespace korvane
