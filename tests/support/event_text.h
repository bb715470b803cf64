#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/ant_message.h"
#include "sensors/channel_decoder.h"

namespace vel::test {

// A number of a sensor event text by key, or nothing when the key is absent.
std::optional<double> EventField(const std::string& event, const std::string& key);
int EventHeaderOf(const std::string& event);
// The events of one header, in order.
std::vector<std::string> EventsWithHeader(const std::vector<std::string>& events, int header);

// A broadcast data message on channel 0 with this 8-byte payload.
AntMessage DataMessage(const std::vector<std::uint8_t>& payload);

// Feeds `payload` until the decoder's transmitter detection lets it through;
// the last one fed is the decoder's first decoded message.
void FeedUntilDecoded(CDisplay& decoder, const std::vector<std::uint8_t>& payload);

}  // namespace vel::test
