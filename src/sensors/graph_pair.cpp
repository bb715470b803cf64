#include "sensors/graph_pair.h"

#include "common/queues.h"
#include "common/tick_clock.h"

namespace vel {

void GraphPair::Set(int index, std::int32_t id, int uiid, int deviceType, EventHeader header) {
  if (index != 0 && index != 1) return;
  if (id == -1) {
    PushEvent(BuildDetachEvent(header, uiid, deviceType, ids_[index].load(), TickCount64()));
  }
  ids_[index].exchange(id);
}

}  // namespace vel
