#include "sensors/sensor_event.h"

#include <gtest/gtest.h>

#include <limits>

namespace vel {
namespace {

TEST(SensorEventTest, KeysInOrderAndNumberKindsPerHeader) {
  EXPECT_EQ(BuildReadingEvent(EventHeader::kHeartRate, 1, 120, 0, EventValue::Integer(72), 99),
            R"({"header":0,"uiid":1,"devicetype":120,"graphid":0,"bpm":72,"tick":99})");
  EXPECT_EQ(BuildReadingEvent(EventHeader::kSpeed, 9, 121, 3, EventValue::Real(15.0912), 1),
            R"({"header":1,"uiid":9,"devicetype":121,"graphid":3,"speed":15.0912,"tick":1})");
  EXPECT_EQ(BuildReadingEvent(EventHeader::kDistance, 0, 123, 7, EventValue::Real(0.004192f), 2),
            R"({"header":2,"uiid":0,"devicetype":123,"distance":0.004191999789327383,"tick":2})");
  EXPECT_EQ(BuildReadingEvent(EventHeader::kCadence, 0, 11, 1, EventValue::Integer(90), 3),
            R"({"header":3,"uiid":0,"devicetype":11,"graphid":1,"cadence":90,"tick":3})");
  EXPECT_EQ(BuildReadingEvent(EventHeader::kPower, 0, 11, 0, EventValue::Integer(300), 4),
            R"({"header":4,"uiid":0,"devicetype":11,"graphid":0,"power":300,"tick":4})");
  EXPECT_EQ(BuildReleasedEvent(4, 3425, 120, 1, 6),
            R"({"header":5,"uiid":4,"deviceid":3425,"devicetype":120,"receiver":1,"channel":6})");
}

TEST(SensorEventTest, FloatingValuesStayFloatingAndRetractionIsInteger) {
  EXPECT_EQ(BuildReadingEvent(EventHeader::kSpeed, 0, 123, 0, EventValue::Real(0.0), 0),
            R"({"header":1,"uiid":0,"devicetype":123,"graphid":0,"speed":0.0,"tick":0})");
  EXPECT_EQ(BuildReadingEvent(EventHeader::kSpeed, 0, 123, 0, EventValue::Retract(), 0),
            R"({"header":1,"uiid":0,"devicetype":123,"graphid":0,"speed":-1,"tick":0})");
  EXPECT_EQ(BuildReadingEvent(EventHeader::kDistance, 0, 123, 0, EventValue::Retract(), 0),
            R"({"header":2,"uiid":0,"devicetype":123,"distance":-1,"tick":0})");
}

TEST(SensorEventTest, NonFiniteNumbersNeverReachTheText) {
  const auto text = BuildReadingEvent(EventHeader::kSpeed, 0, 123, 0,
                                      EventValue::Real(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(text.View().find("inf"), std::string::npos);
  EXPECT_NE(text.View().find("\"speed\":0.0"), std::string::npos);
}

TEST(SensorEventTest, LargestTickIsWrittenUnsigned) {
  const auto text = BuildReadingEvent(EventHeader::kPower, 0, 11, 0, EventValue::Integer(1),
                                      std::numeric_limits<std::uint64_t>::max());
  EXPECT_NE(text.View().find("\"tick\":18446744073709551615}"), std::string::npos);
}

}  // namespace
}  // namespace vel
