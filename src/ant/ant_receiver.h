#pragma once

#include "ant/framer.h"

namespace vel {

// One opened ANT stick. Decoders reach the stick's framer through it to
// send their channel commands.
class AntReceiver {
 public:
  explicit AntReceiver(DSIFramerANT* framer) : framer_(framer) {}
  DSIFramerANT* GetFramer() const { return framer_; }

 private:
  DSIFramerANT* framer_;
};

}  // namespace vel
