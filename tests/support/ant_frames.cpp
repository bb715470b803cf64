#include "support/ant_frames.h"

#include <fstream>
#include <sstream>

#include "ant/ant_frame.h"

namespace vel::test {

std::vector<std::uint8_t> Frame(std::uint8_t id, const std::vector<std::uint8_t>& data) {
  return AntFrame(id, data);
}

std::vector<std::uint8_t> BroadcastFrame(std::uint8_t channel,
                                         const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> data{channel};
  data.insert(data.end(), payload.begin(), payload.end());
  return Frame(ant_id::kBroadcastData, data);
}

AntMessage Message(std::uint8_t id, std::initializer_list<std::uint8_t> data) {
  AntMessage m;
  m.id = id;
  std::size_t i = 0;
  for (std::uint8_t b : data) m.data[i++] = b;
  return m;
}

void FeedBytes(DSIFramerANT& framer, const std::vector<std::uint8_t>& bytes) {
  for (std::uint8_t b : bytes) framer.OnByte(b);
}

std::string CaptureFile(const std::string& name) {
  return std::string(VEL_CAPTURE_DIR) + "/" + name;
}

std::vector<std::vector<std::uint8_t>> ReadPayloadLines(const std::string& path) {
  std::vector<std::vector<std::uint8_t>> payloads;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string time, sensor;
    fields >> time >> sensor;
    std::vector<std::uint8_t> payload;
    int value = 0;
    while (fields >> value) payload.push_back(static_cast<std::uint8_t>(value));
    if (payload.size() == 8) payloads.push_back(payload);
  }
  return payloads;
}

}  // namespace vel::test
