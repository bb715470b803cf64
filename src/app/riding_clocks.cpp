#include "app/riding_clocks.h"

#include "common/string_printf.h"

namespace vel {
namespace {

const char* const kStartText = "▶";
const char* const kStopText = "■";

}  // namespace

RidingClocks::RidingClocks(RiderPanelView& view) : view_(view) {}

void RidingClocks::Reset(int panel) {
  view_.SetStartButton(panel, kStartText, false);
  Show(panel, "");
  panels_.at(static_cast<std::size_t>(panel)).state = State::kStopped;
}

void RidingClocks::NoMember(int panel) {
  panels_.at(static_cast<std::size_t>(panel)).state = State::kNoMember;
}

void RidingClocks::Ready(int panel) {
  view_.SetStartButton(panel, kStartText, true);
  Show(panel, "00:00:00");
}

void RidingClocks::ClickStart(int panel, std::uint32_t now) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  switch (p.state) {
    case State::kNoMember: view_.SetStartButton(panel, kStartText, false); break;
    case State::kRunning:
      p.state = State::kStopped;
      view_.SetStartButton(panel, kStartText, true);
      break;
    case State::kStopped:
      p.state = State::kRunning;
      p.startTick = now;
      view_.SetStartButton(panel, kStopText, true);
      break;
  }
}

void RidingClocks::Update(std::uint32_t now) {
  for (int k = 0; k < kRiderPanels; ++k) {
    const Panel& p = panels_[static_cast<std::size_t>(k)];
    switch (p.state) {
      case State::kNoMember: Show(k, ""); break;
      case State::kStopped: Show(k, "00:00:00"); break;
      case State::kRunning: {
        // The 32-bit tick count wraps; the difference stays right.
        const std::uint32_t e = static_cast<std::uint32_t>(now - p.startTick) / 1000u;
        Show(k, StringPrintf("%02u:%02u:%02u", e / 3600, (e / 60) % 60, e % 60));
        break;
      }
    }
  }
}

void RidingClocks::Show(int panel, const std::string& text) {
  std::string& shown = panels_.at(static_cast<std::size_t>(panel)).text;
  if (shown == text) return;
  shown = text;
  view_.SetClockText(panel, text);
}

}  // namespace vel
