#include "support/event_text.h"

#include <cstdlib>
#include <stdexcept>

namespace vel::test {

std::optional<double> EventField(const std::string& event, const std::string& key) {
  const std::string marker = "\"" + key + "\":";
  const auto at = event.find(marker);
  if (at == std::string::npos) return std::nullopt;
  return std::strtod(event.c_str() + at + marker.size(), nullptr);
}

int EventHeaderOf(const std::string& event) {
  return static_cast<int>(EventField(event, "header").value_or(-100));
}

std::vector<std::string> EventsWithHeader(const std::vector<std::string>& events, int header) {
  std::vector<std::string> out;
  for (const auto& e : events) {
    if (EventHeaderOf(e) == header) out.push_back(e);
  }
  return out;
}

AntMessage DataMessage(const std::vector<std::uint8_t>& payload) {
  AntMessage m;
  m.id = ant_id::kBroadcastData;
  m.data[0] = 0;
  for (std::size_t i = 0; i < 8 && i < payload.size(); ++i) m.data[1 + i] = payload[i];
  return m;
}

void FeedUntilDecoded(CDisplay& decoder, const std::vector<std::uint8_t>& payload) {
  for (int i = 0; i < 10; ++i) {
    if (decoder.ProcessMessage(DataMessage(payload), 9) == 1) return;
  }
  throw std::logic_error("decoder never settled");
}

}  // namespace vel::test
