#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "ant/framer.h"
#include "common/ant_message.h"

namespace vel::test {

// A received frame as a stick sends it: sync, length, id, data, checksum.
std::vector<std::uint8_t> Frame(std::uint8_t id, const std::vector<std::uint8_t>& data);

// A broadcast data frame on `channel` with an 8-byte payload, optionally
// followed by the extended channel-id data a stick adds in scan mode.
std::vector<std::uint8_t> BroadcastFrame(std::uint8_t channel,
                                         const std::vector<std::uint8_t>& payload);

AntMessage Message(std::uint8_t id, std::initializer_list<std::uint8_t> data);

void FeedBytes(DSIFramerANT& framer, const std::vector<std::uint8_t>& bytes);

std::string CaptureFile(const std::string& name);  // path in the recordings folder

// One line of the heart-rate recording: "<time> 120.<number> <8 decimal payload bytes>".
std::vector<std::vector<std::uint8_t>> ReadPayloadLines(const std::string& path);

}  // namespace vel::test
