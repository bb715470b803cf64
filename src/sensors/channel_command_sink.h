#pragma once

#include <cstdint>

#include "common/ant_commands.h"

namespace vel {

// Where a channel decoder sends the set-up and closing commands of its
// channel: the stick that owns the channel. The answers come back to the
// decoder as messages of its channel, which is what moves the chain on, so
// a send reports nothing.
class ChannelCommandSink {
 public:
  virtual ~ChannelCommandSink() = default;
  // Writes the command and waits up to `responseWaitMs` for the stick's
  // response (0: no wait).
  virtual void SendChannelCommand(const AntCommand& command, std::uint32_t responseWaitMs) = 0;
};

}  // namespace vel
