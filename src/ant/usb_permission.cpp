#include "ant/usb_permission.h"

#include "common/queues.h"
#include "common/string_printf.h"

namespace vel {

std::string PermissionDeniedLine(std::string_view stick) {
  return StringPrintf(
      "ANT stick %.*s: permission denied. Install the udev rule and replug the stick: "
      "sudo install -m 644 packaging/udev/%s /etc/udev/rules.d/ && sudo udevadm control "
      "--reload && sudo udevadm trigger",
      static_cast<int>(stick.size()), stick.data(), kUdevRuleName);
}

void LogPermissionDenied(std::string_view stick) { PushLog(PermissionDeniedLine(stick)); }

}  // namespace vel
