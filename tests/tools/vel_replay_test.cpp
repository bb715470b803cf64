#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "capture_replay.h"
#include "replay_options.h"
#include "support/ant_frames.h"
#include "support/event_text.h"
#include "support/read_file.h"
#include "support/run_program.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::vector<std::string> Args(std::initializer_list<const char*> a) { return {a.begin(), a.end()}; }

TEST(ReplayOptionsTest, AcceptsChannelsFlagsAndInput) {
  std::string error;
  auto o = ParseReplayOptions(
      Args({"--hex", "--channel", "0:120", "--channel=2:123:2.1", "--log", "-"}), error);
  ASSERT_TRUE(o) << error;
  EXPECT_TRUE(o->hex);
  EXPECT_TRUE(o->log);
  EXPECT_EQ(o->input, "-");
  ASSERT_EQ(o->channels.size(), 2u);
  EXPECT_EQ(o->channels[0].channel, 0);
  EXPECT_FLOAT_EQ(o->channels[0].wheelCircumferenceM, 2.096f);
  EXPECT_EQ(o->channels[1].channel, 2);
  EXPECT_FLOAT_EQ(o->channels[1].wheelCircumferenceM, 2.1f);
}

TEST(ReplayOptionsTest, RefusesBadChannelsAndMissingParts) {
  std::string error;
  for (const char* bad : {"0", "x:120", "0:abc", "256:120", "0:123:", "0:123:-1", "0:11:1:2",
                          "0:99", "0:121:nan", "0:120:2.1", "0:122:2.1"}) {
    EXPECT_FALSE(ParseChannelSpec(bad, error)) << bad;
    EXPECT_THAT(error, HasSubstr("--channel")) << bad;
  }
  EXPECT_FALSE(ParseReplayOptions(Args({"file"}), error));
  EXPECT_FALSE(ParseReplayOptions(Args({"--channel", "0:120"}), error));
  EXPECT_FALSE(ParseReplayOptions(Args({"--channel"}), error));
  EXPECT_FALSE(ParseReplayOptions(Args({"--channel", "0:120", "a", "b"}), error));
  EXPECT_FALSE(ParseReplayOptions(Args({"--channel", "0:120", "--bogus", "a"}), error));
}

TEST(ReplayOptionsTest, HexNeedsPairsOfDigits) {
  std::string error;
  auto bytes = ParseHexBytes(" a4 01\n4A\t00 ef ", error);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, (std::vector<std::uint8_t>{0xA4, 0x01, 0x4A, 0x00, 0xEF}));
  EXPECT_FALSE(ParseHexBytes("a4 1", error));
  EXPECT_FALSE(ParseHexBytes("a40", error));
  EXPECT_FALSE(ParseHexBytes("zz", error));
}

class CaptureReplayTest : public ::testing::Test {
 protected:
  std::vector<std::string> out;
  std::vector<std::string> errors;
  CaptureReplay::LineSink outSink = [this](std::string_view l) { out.emplace_back(l); };
  CaptureReplay::LineSink errSink = [this](std::string_view l) { errors.emplace_back(l); };
};

std::string WithoutTick(const std::string& event) {
  return event.substr(0, event.find(",\"tick\""));
}

TEST_F(CaptureReplayTest, DecodesOnlyTheWatchedChannelAndEndsWithTheFarewell) {
  std::vector<std::uint8_t> bytes;
  auto add = [&](const std::vector<std::uint8_t>& f) {
    bytes.insert(bytes.end(), f.begin(), f.end());
  };
  add(test::BroadcastFrame(1, {0x04, 0, 0, 0, 0, 0, 0, 90}));
  add(test::BroadcastFrame(0, {0x04, 0, 0, 0, 0, 0, 0, 60}));
  add(test::BroadcastFrame(0, {0x84, 0, 0, 0, 0, 0, 0, 61}));
  add({0xA4, 0x01, 0x4B, 0x00, 0xEF});  // a damaged frame
  add(test::BroadcastFrame(0, {0x84, 0, 0, 0, 0, 0, 0, 62}));
  {
    CaptureReplay replay({ChannelSpec{0, 120, 2.096f}}, false, outSink, errSink);
    replay.Feed(bytes.data(), bytes.size());
    replay.Finish();
  }
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(WithoutTick(out[0]), R"({"header":0,"uiid":0,"devicetype":120,"graphid":0,"bpm":61)");
  EXPECT_EQ(WithoutTick(out[1]), R"({"header":0,"uiid":0,"devicetype":120,"graphid":0,"bpm":62)");
  EXPECT_EQ(WithoutTick(out[2]), R"({"header":0,"uiid":0,"devicetype":120,"graphid":0,"bpm":-1)");
  EXPECT_THAT(errors, ElementsAre(HasSubstr("bad checksum")));
}

TEST_F(CaptureReplayTest, LogLinesAreInterleavedInPushOrder) {
  auto f1 = test::BroadcastFrame(0, {0x04, 0, 0, 0, 0, 0, 0, 60});
  auto f2 = test::BroadcastFrame(0, {0x84, 0, 0, 0, 0, 0, 0, 61});
  {
    CaptureReplay replay({ChannelSpec{0, 120, 2.096f}}, true, outSink, errSink);
    replay.Feed(f1.data(), f1.size());
    replay.Feed(f2.data(), f2.size());
  }
  ASSERT_EQ(out.size(), 4u);
  EXPECT_THAT(out[0], HasSubstr(" > Detecting transmitter device type..."));
  EXPECT_THAT(out[1], HasSubstr(" > Current Device detected"));
  EXPECT_THAT(out[2], StartsWith(R"({"header":0)"));
  EXPECT_THAT(out[3], HasSubstr(R"("bpm":-1)"));
}

TEST_F(CaptureReplayTest, ScanModeMessagesGoOnlyToTheDecoderOfTheirDeviceType) {
  std::vector<std::uint8_t> payload{0x84, 0, 0, 0, 0, 0, 0, 77};
  auto frame = [&](std::uint8_t type, std::uint8_t toggle) {
    std::vector<std::uint8_t> data{0};
    data.insert(data.end(), payload.begin(), payload.end());
    data[1] = static_cast<std::uint8_t>(toggle << 7);
    data.insert(data.end(), {0x80, 0x61, 0x0D, type, 0x01});
    return test::Frame(0x4E, data);
  };
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 4; ++i) {
    auto a = frame(11, static_cast<std::uint8_t>(i & 1));  // a power meter on the same channel
    auto b = frame(120, 0);
    bytes.insert(bytes.end(), a.begin(), a.end());
    bytes.insert(bytes.end(), b.begin(), b.end());
  }
  {
    CaptureReplay replay({ChannelSpec{0, 120, 2.096f}}, false, outSink, errSink);
    replay.Feed(bytes.data(), bytes.size());
  }
  // The strap alone never toggles: four messages are too few to call it
  // legacy, so only the farewell shows. Had the power meter's toggling
  // pages reached it, it would have been taken for a current strap.
  EXPECT_THAT(out, ElementsAre(HasSubstr(R"("bpm":-1)")));
}

// Every number a replay printed for one device type and value key.
std::vector<double> Values(const std::vector<std::string>& lines, int type,
                           const std::string& key) {
  std::vector<double> out;
  for (const auto& line : lines) {
    if (test::EventField(line, "devicetype") != type) continue;
    if (auto v = test::EventField(line, key)) out.push_back(*v);
  }
  return out;
}

TEST_F(CaptureReplayTest, RecordedPowerAndSpeedCadenceTransmitterDecodesToItsValues) {
  const auto bytes = test::ReadFileBytes(test::CaptureFile("antgo_456.cap"));
  {
    CaptureReplay replay({ChannelSpec{0, 11, 2.096f}, ChannelSpec{0, 121, 2.096f}}, false, outSink,
                         errSink);
    replay.Feed(bytes.data(), bytes.size());
  }
  EXPECT_TRUE(errors.empty());
  // The transmitter's power is a 328 to 228 W sawtooth.
  auto power = Values(out, 11, "power");
  ASSERT_EQ(power.size(), 116u);
  EXPECT_EQ(power.back(), -1);
  power.pop_back();
  EXPECT_EQ(*std::min_element(power.begin(), power.end()), 228);
  EXPECT_EQ(*std::max_element(power.begin(), power.end()), 328);
  auto pedal = Values(out, 11, "cadence");
  pedal.pop_back();
  EXPECT_EQ(*std::min_element(pedal.begin(), pedal.end()), 62);
  EXPECT_EQ(*std::max_element(pedal.begin(), pedal.end()), 125);

  auto speed = Values(out, 121, "speed");
  speed.pop_back();
  EXPECT_EQ(speed.front(), 0.0) << "the first message yields no movement";
  EXPECT_NEAR(*std::max_element(speed.begin(), speed.end()), 45.05, 0.01);
  auto distance = Values(out, 121, "distance");
  distance.pop_back();
  EXPECT_TRUE(std::is_sorted(distance.begin(), distance.end()));
  EXPECT_NEAR(distance.back(), 0.3521, 1e-4);
  EXPECT_EQ(Values(out, 121, "cadence").size(), 121u);
}

TEST_F(CaptureReplayTest, SpeedAndCadenceSensorsFromHandMadeStreams) {
  std::vector<std::uint8_t> bytes;
  // Speed sensor on channel 1 and cadence sensor on channel 2, toggling
  // pages every fourth message; one wheel turn per 1/4 s, 90 rpm.
  for (int i = 0; i < 24; ++i) {
    const std::uint8_t toggle = (i / 4) % 2 ? 0x80 : 0;
    const auto wheelTime = static_cast<std::uint16_t>(i * 256);
    const auto wheel = static_cast<std::uint16_t>(i);
    auto s = test::BroadcastFrame(
        1, {toggle, 0, 0, 0, static_cast<std::uint8_t>(wheelTime & 0xFF),
            static_cast<std::uint8_t>(wheelTime >> 8), static_cast<std::uint8_t>(wheel), 0});
    const auto crankTime = static_cast<std::uint16_t>(i * 683);
    auto c = test::BroadcastFrame(
        2, {toggle, 0, 0, 0, static_cast<std::uint8_t>(crankTime & 0xFF),
            static_cast<std::uint8_t>(crankTime >> 8), static_cast<std::uint8_t>(i), 0});
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.insert(bytes.end(), c.begin(), c.end());
  }
  {
    CaptureReplay replay({ChannelSpec{1, 123, 2.0f}, ChannelSpec{2, 122, 2.096f}}, false, outSink,
                         errSink);
    replay.Feed(bytes.data(), bytes.size());
  }
  auto speed = Values(out, 123, "speed");
  ASSERT_GE(speed.size(), 3u);
  EXPECT_NEAR(speed[speed.size() - 2], 28.8, 1e-9) << "2 m per 1/4 s";
  auto cadence = Values(out, 122, "cadence");
  ASSERT_GE(cadence.size(), 3u);
  EXPECT_EQ(cadence[cadence.size() - 2], 89) << "61440 / 683, truncated";
  EXPECT_EQ(cadence.back(), -1);
}

// The built tool, end to end: exit status and error lines.
test::ProgramRun RunReplay(const std::vector<std::string>& arguments,
                           const std::string& input = "") {
  test::ProgramSetup setup;
  setup.input = input;
  return test::RunProgram(VEL_REPLAY_EXE, arguments, setup);
}

TEST(VelReplayToolTest, BadInputsExitWithStatusTwoAndOneLine) {
  const test::ProgramRun missing = RunReplay({"--channel", "0:120", "/nonexistent/file"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_THAT(missing.err, HasSubstr("cannot open"));
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);

  const test::ProgramRun badChannel = RunReplay({"--channel", "0:7", "/dev/null"});
  EXPECT_EQ(badChannel.status, 2);
  EXPECT_THAT(badChannel.err, HasSubstr("--channel"));

  const test::ProgramRun badHex = RunReplay({"--hex", "--channel", "0:120", "-"}, "a4 0");
  EXPECT_EQ(badHex.status, 2);
  EXPECT_THAT(badHex.err, HasSubstr("bad hex"));
  EXPECT_EQ(badHex.out, "");
  EXPECT_EQ(std::count(badHex.err.begin(), badHex.err.end(), '\n'), 1);
}

TEST(VelReplayToolTest, HexFromStandardInputPrintsEventsAndFramerErrorsGoOn) {
  const test::ProgramRun r = RunReplay({"--hex", "--channel", "0:120", "-"},
                                       "A4 09 4E 00 04 00 00 00 00 00 00 3C DB\n"
                                       "A4 01 4B 00 EF\n"
                                       "A4 09 4E 00 84 00 00 00 00 00 00 3D 5A\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("framer error 02 04"));
  EXPECT_THAT(r.out, HasSubstr(R"("bpm":61,"tick":)"));
  EXPECT_THAT(r.out, HasSubstr(R"("bpm":-1,"tick":)"));
}

}  // namespace
}  // namespace vel
