// Any bytes parse to a profile that gives them back unchanged; a value written
// into it reads back, and the lines around it are kept.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "config/Profile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The value a read gives back for a written one: line breaks became blanks.
std::string AsRead(std::string value) {
  for (char& c : value)
    if (c == '\r' || c == '\n') c = ' ';
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  static const char* const kSections[] = {"Fuzz", " fuzz ", "IgnoreList", "Ä"};
  static const char* const kKeys[] = {"Value", "VALUE ", "0", "ListCount"};
  const std::string section = kSections[input.ConsumeIntegralInRange<size_t>(0, 3)];
  const std::string key = kKeys[input.ConsumeIntegralInRange<size_t>(0, 3)];
  const std::string value = input.ConsumeRandomLengthString(korvane::kProfileValueMax);
  const std::string text = input.ConsumeRemainingBytesAsString();

  korvane::TProfile profile = korvane::TProfile::Parse(text);
  Check(profile.Text() == text);
  (void)profile.ReadString(section, key);
  (void)profile.KeyNames(section);

  profile.WriteString(section, key, value);
  const std::string written = profile.Text();
  Check(profile.ReadString(section, key) == AsRead(value));
  const korvane::TProfile reread = korvane::TProfile::Parse(written);
  Check(reread.Text() == written);
  Check(reread.ReadString(section, key) == AsRead(value));
  return 0;
}
