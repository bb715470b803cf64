#include "ant/ant_frame_decoder.h"

#include <gtest/gtest.h>

#include "ant/framer.h"
#include "support/ant_frames.h"
#include "support/fake_transport.h"
#include "support/stick_harness.h"

namespace vel {
namespace {

// Junk, a request, a frame longer than any message, a broken checksum, an
// unknown command and the trailing zeros: the bytes a stick may read.
std::vector<std::uint8_t> MixedStream() {
  std::vector<std::uint8_t> bytes = {0x00, 0x13};
  auto add = [&bytes](std::vector<std::uint8_t> frame) {
    bytes.insert(bytes.end(), frame.begin(), frame.end());
  };
  add(test::Frame(0x4D, {0, 0x3E}));
  add(test::Frame(0x99, std::vector<std::uint8_t>(255, 0x11)));
  std::vector<std::uint8_t> broken = test::Frame(0x4D, {0, 0x54});
  broken.back() ^= 1;
  add(broken);
  add(test::Frame(0x99, {1, 2, 3}));
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

TEST(AntFrameDecoderTest, TheFramerAndTheSimulatedStickReadOneStreamAlike) {
  const std::vector<std::uint8_t> stream = MixedStream();

  AntFrameDecoder decoder;
  int frames = 0, bad = 0;
  for (std::uint8_t b : stream) {
    const AntFrameDecoder::Result r = decoder.Feed(b);
    frames += r == AntFrameDecoder::Result::kFrame;
    bad += r == AntFrameDecoder::Result::kBadChecksum;
  }
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(bad, 1);

  // The framer: each frame a message (the long one reported as oversized),
  // the broken one its checksum error.
  test::FakeTransport transport;
  DSIFramerANT framer(&transport);
  int framerFrames = 0, framerBad = 0;
  for (std::uint8_t b : stream) {
    framer.OnByte(b);
    AntMessage out;
    for (std::uint16_t n; (n = framer.TakeMessage(out, 0)) != DSIFramerANT::kResultTimeout;) {
      const bool checksum =
          n == DSIFramerANT::kResultError && out.id == DSIFramerANT::kStatusSerialError;
      (checksum ? framerBad : framerFrames)++;
    }
  }
  EXPECT_EQ(framerFrames, frames);
  EXPECT_EQ(framerBad, bad);

  // The simulated stick: one answer to each frame, the broken one counted.
  test::StickHarness host;
  host.stick().Receive(stream.data(), stream.size());
  EXPECT_EQ(host.Take().size(), static_cast<std::size_t>(frames));
  EXPECT_EQ(host.stick().BadFramesReceived(), static_cast<std::uint32_t>(bad));
}

}  // namespace
}  // namespace vel
