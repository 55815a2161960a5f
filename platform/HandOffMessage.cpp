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
  if (state_ != State::Reading) return 0;
  if (headerUsed_ < kHeaderSize) return kHeaderSize - headerUsed_;
  return cbData_ - data_.size();
}

void THandOffReader::Take(const char* bytes, size_t n) {
  if (headerUsed_ < kHeaderSize) {
    const size_t part = n < kHeaderSize - headerUsed_ ? n : kHeaderSize - headerUsed_;
    std::memcpy(header_ + headerUsed_, bytes, part);
    headerUsed_ += part;
    bytes += part;
    n -= part;
    if (headerUsed_ == kHeaderSize) HeaderDone();
  }
  if (state_ != State::Reading || n == 0) return;
  // The data grows with what arrives, never ahead of it.
  data_.append(bytes, n);
  if (data_.size() == cbData_) state_ = State::Complete;
}

void THandOffReader::HeaderDone() {
  std::memcpy(&dwData_, header_, 4);
  std::memcpy(&cbData_, header_ + 4, 4);
  if (cbData_ > kMaxHandOffData)
    state_ = State::Refused;
  else if (cbData_ == 0)
    state_ = State::Complete;
}

}  // namespace korvane
