#pragma once
// The address of a Unix socket file.
#include <sys/un.h>

#include <string>

namespace korvane {

// Fills address for path; false when the path does not fit.
bool FillUnixAddress(const std::string& path, sockaddr_un& address);

// Whether the process at the other end of the connected socket runs as this user.
bool PeerIsThisUser(int fd);

}  // namespace korvane
