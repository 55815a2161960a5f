// A connection's bytes, arriving in pieces of any size, read as messages that
// encode back to exactly the bytes they were read from.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "platform/HandOffMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const size_t piece = input.ConsumeIntegralInRange<size_t>(1, 64);
  const std::string stream = input.ConsumeRemainingBytesAsString();
  korvane::THandOffReader reader;
  size_t messageStart = 0;
  size_t at = 0;
  while (at < stream.size()) {
    const size_t wanted = reader.Wanted();
    if (wanted == 0) std::abort();  // a reading message always wants more
    const size_t n = std::min({wanted, piece, stream.size() - at});
    reader.Take(stream.data() + at, n);
    at += n;
    if (reader.Status() == korvane::THandOffReader::State::Reading) continue;
    if (reader.Wanted() != 0) std::abort();
    if (reader.Status() == korvane::THandOffReader::State::Refused) break;  // the connection is dropped
    const std::string message = korvane::EncodeHandOffMessage(reader.DwData(), reader.Data());
    if (message != stream.substr(messageStart, at - messageStart)) std::abort();
    messageStart = at;
    reader.Reset();
  }
  return 0;
}
