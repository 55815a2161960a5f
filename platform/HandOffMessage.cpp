#include "platform/HandOffMessage.h"

#include <cstring>

namespace korvane {
namespace {

void AppendU32(std::string& out, uint32_t value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  out.append(bytes, sizeof value);
}

}  // namespace

std::string EncodeHandOffMessage(uint32_t dwData, std::string_view data) {
  std::string out;
  out.reserve(8 + data.size());
  AppendU32(out, dwData);
  AppendU32(out, static_cast<uint32_t>(data.size()));
  out.append(data);
  return out;
}

size_t THandOffReader::Wanted() const {
  if (FState != State::Reading) return 0;
  if (FHeaderUsed < kHeaderSize) return kHeaderSize - FHeaderUsed;
  return FCbData - FData.size();
}

void THandOffReader::Take(const char* bytes, size_t n) {
  if (FHeaderUsed < kHeaderSize) {
    const size_t part = n < kHeaderSize - FHeaderUsed ? n : kHeaderSize - FHeaderUsed;
    std::memcpy(FHeader + FHeaderUsed, bytes, part);
    FHeaderUsed += part;
    bytes += part;
    n -= part;
    if (FHeaderUsed == kHeaderSize) HeaderDone();
  }
  if (FState != State::Reading || n == 0) return;
  // The data grows with what arrives, never ahead of it.
  FData.append(bytes, n);
  if (FData.size() == FCbData) FState = State::Complete;
}

void THandOffReader::HeaderDone() {
  std::memcpy(&FDwData, FHeader, 4);
  std::memcpy(&FCbData, FHeader + 4, 4);
  if (FCbData > kMaxHandOffData)
    FState = State::Refused;
  else if (FCbData == 0)
    FState = State::Complete;
}

}  // namespace korvane
