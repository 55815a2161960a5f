#include "platform/HandOffMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace korvane {
namespace {

std::string Header(uint32_t dwData, uint32_t cbData) {
  std::string bytes(8, '\0');
  std::memcpy(bytes.data(), &dwData, 4);
  std::memcpy(bytes.data() + 4, &cbData, 4);
  return bytes;
}

// Feeds bytes in pieces of at most `piece`, never more than the reader asks for.
size_t Feed(THandOffReader& reader, const std::string& bytes, size_t piece) {
  size_t used = 0;
  while (used < bytes.size() && reader.Wanted() > 0) {
    const size_t n = std::min({piece, reader.Wanted(), bytes.size() - used});
    reader.Take(bytes.data() + used, n);
    used += n;
  }
  return used;
}

TEST(HandOffReader, AMessageSplitAcrossReadsComesOutWholeAndLeavesTheNextUnread) {
  const std::string text("\"/a b/x.avi\",/clips\0", 20);
  const std::string bytes = EncodeHandOffMessage(0x1111, text) + EncodeHandOffMessage(7, "");
  EXPECT_EQ(bytes.substr(0, 8), Header(0x1111, 20));
  for (const size_t piece : {size_t(1), size_t(3), size_t(64)}) {
    THandOffReader reader;
    EXPECT_EQ(Feed(reader, bytes, piece), 28u) << piece;
    ASSERT_EQ(reader.Status(), THandOffReader::State::Complete);
    EXPECT_EQ(reader.DwData(), 0x1111u);
    EXPECT_EQ(reader.Data(), text);  // the NUL and all, exactly cbData bytes
    reader.Reset();
    EXPECT_EQ(Feed(reader, bytes.substr(28), piece), 8u);
    EXPECT_EQ(reader.Status(), THandOffReader::State::Complete);
    EXPECT_EQ(reader.DwData(), 7u);
    EXPECT_TRUE(reader.Data().empty());
  }
}

TEST(HandOffReader, ATruncatedMessageStaysIncomplete) {
  for (const std::string& bytes : {Header(0x1111, 10).substr(0, 5), Header(0x1111, 10) + "abc"}) {
    THandOffReader reader;
    Feed(reader, bytes, 64);
    EXPECT_EQ(reader.Status(), THandOffReader::State::Reading);
    EXPECT_GT(reader.Wanted(), 0u);
  }
}

TEST(HandOffReader, DataAboveSixteenMebibytesIsRefusedFromTheHeaderAlone) {
  THandOffReader atLimit;
  Feed(atLimit, Header(0x1111, kMaxHandOffData), 64);
  EXPECT_EQ(atLimit.Status(), THandOffReader::State::Reading);
  EXPECT_EQ(atLimit.Wanted(), kMaxHandOffData);

  for (const uint32_t cbData : {kMaxHandOffData + 1, 20u * 1024 * 1024, 0xFFFFFFFFu}) {
    THandOffReader reader;
    Feed(reader, Header(0x1111, cbData), 64);
    EXPECT_EQ(reader.Status(), THandOffReader::State::Refused);
    EXPECT_EQ(reader.Wanted(), 0u);
    EXPECT_TRUE(reader.Data().empty());
  }
}

}  // namespace
}  // namespace korvane
