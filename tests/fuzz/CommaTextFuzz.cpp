// Any text splits without harm, and the list it gives survives a round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/CommaText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  korvane::TStringList list;
  korvane::SplitCommaText(std::string_view(reinterpret_cast<const char*>(data), size), list);
  korvane::TStringList again;
  korvane::SplitCommaText(korvane::ToCommaText(list), again);
  if (again.Items() != list.Items()) std::abort();
  return 0;
}
