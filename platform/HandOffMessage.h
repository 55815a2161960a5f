#pragma once
// The messages of the hand-off socket: u32 dwData, u32 cbData, then cbData
// bytes of data, all in this machine's byte order; each is answered with one
// u32 result. A connection may carry several messages one after another.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// dwData of the request that brings the running instance to the front (cbData 0).
constexpr uint32_t kActivateRequest = 0x41435456;  // "ACTV"
// The answer to a hand-off of paths that a closing instance will not search.
constexpr uint32_t kHandOffRefused = 0x52465553;  // "REFS"
// Larger data is refused before anything is allocated for it.
constexpr uint32_t kMaxHandOffData = 16u * 1024 * 1024;
// The result of a message the running instance has no room for now: the
// connection closes unread, and the sender may try again.
constexpr uint32_t kHandOffBusy = 0x42555359;  // "BUSY"

// The bytes of one message.
std::string EncodeHandOffMessage(uint32_t dwData, std::string_view data);

// Reads one message from the bytes of a connection as they arrive.
class THandOffReader {
 public:
  enum class State { Reading, Complete, Refused };

  // How many bytes the message still needs; reading no more than this leaves
  // the next message in the socket. 0 once complete or refused.
  size_t Wanted() const;
  // Takes the next bytes of the message; n must not exceed Wanted().
  void Take(const char* bytes, size_t n);
  // Starts over for the next message.
  void Reset() { *this = THandOffReader(); }

  State Status() const { return FState; }
  // Whether the header is in, so that CbData() is known.
  bool HasHeader() const { return FHeaderUsed == kHeaderSize; }
  uint32_t CbData() const { return FCbData; }
  uint32_t DwData() const { return FDwData; }
  // The cbData bytes of a complete message.
  std::string_view Data() const { return FData; }

 private:
  static constexpr size_t kHeaderSize = 8;
  void HeaderDone();

  State FState = State::Reading;
  char FHeader[kHeaderSize] = {};
  size_t FHeaderUsed = 0;
  uint32_t FDwData = 0;
  uint32_t FCbData = 0;
  std::string FData;
};

}  // namespace korvane
