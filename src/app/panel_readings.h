#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/gear_estimate.h"
#include "app/rider_panel_view.h"
#include "common/room.h"
#include "sensors/sensor_event.h"
#include "sensors/sensor_event_reader.h"
#include "team/rider_lists.h"
#include "team/score_reports.h"
#include "team/team_roster.h"

namespace vel {

// What the rider panels show of their riders' readings: values and running
// maxima (as texts, which the rules read back), graph samples, the gear
// estimate, and the personal bests reported when a maximum passes them. A
// watchdog clears a value whose sensor fell silent.
//
// User-interface thread only.
class PanelReadings {
 public:
  static constexpr std::uint64_t kStaleMs = 10000;

  PanelReadings(RiderPanelView& view, const TeamRoster& roster, const RiderLists& riderLists,
                ScoreReports& scores);

  // A speed, cadence, heart-rate or power event of a panel.
  void OnReading(const SensorEventFields& e);
  void OnDistance(const SensorEventFields& e);
  // Clears every value whose last sample is kStaleMs old at `now` (the
  // maxima stay) and drops its graph to 0.
  void ClearStaleValues(std::uint64_t now);

  const std::string& Text(int panel, PanelValue value) const;
  // The number a value shows; none while it shows nothing.
  std::optional<double> Number(int panel, PanelValue value) const;
  // The gear the indicators show, as teeth; none while they show none.
  struct GearTeeth {
    int front = 0;
    int rear = 0;
  };
  std::optional<GearTeeth> Gear(int panel) const;

 private:
  // How one kind of reading is shown; one entry per graph track.
  struct Measure {
    EventHeader header;
    PanelValue value;
    std::optional<PanelValue> maximum;  // a running maximum, reported as a best
    RankingType ranking;
    bool isSpeed;      // a floating value with a spike filter
    bool drivesGears;  // speed and cadence give the gear estimate
  };
  static const std::array<Measure, 4> kMeasures;

  struct Track {
    std::int32_t graphId = -1;
    std::uint64_t lastTick = 0;  // 0: no fresh sample
  };
  struct Panel {
    std::array<std::string, kPanelValueCount> texts;
    std::array<Track, kMeasures.size()> tracks;
    std::optional<GearTeeth> gear;
  };

  void EstimateGear(int panel, double speed, double cadence);
  void ClearGears(int panel);
  void SetText(int panel, PanelValue value, const std::string& text);
  double Shown(int panel, PanelValue value) const;
  const MemberRecord* MemberOf(int panel) const;

  RiderPanelView& view_;
  const TeamRoster& roster_;
  const RiderLists& riderLists_;
  ScoreReports& scores_;
  GearRatioTable gearRatios_;
  std::array<Panel, kRiderPanels> panels_;
};

}  // namespace vel
