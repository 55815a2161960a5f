#pragma once
// The address of a Unix socket file.
#include <sys/un.h>

#include <string>

namespace korvane {

// Fills address for path; false when the path does not fit.
bool FillUnixAddress(const std::string& path, sockaddr_un& address);

}  // namespace korvane
