#pragma once
// This user's home folder.
#include <string>

namespace korvane {

// $HOME when set, else the folder the user database gives; "" when neither does.
std::string HomeFolder();

}  // namespace korvane
