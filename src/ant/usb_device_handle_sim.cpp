#include "ant/usb_device_handle_sim.h"

#include <algorithm>
#include <chrono>

#include "ant/sim/virtual_room.h"
#include "common/thread_name.h"
#include "crash/thread_signal_stack.h"

namespace vel {

std::unique_ptr<USBDeviceHandleSim> USBDeviceHandleSim::Open(const USBDeviceSim& device) {
  if (!device.Room() || device.Index() < 0 || device.Index() >= sim::VirtualRoom::kMaxSticks) {
    return nullptr;
  }
  std::unique_ptr<USBDeviceHandleSim> handle(new USBDeviceHandleSim(device));
  if (!handle->stick_.Attach(handle.get())) return nullptr;
  try {
    handle->reader_ = std::thread(&USBDeviceHandleSim::ReaderLoop, handle.get());
  } catch (const std::system_error&) {
    return nullptr;  // the destructor detaches
  }
  return handle;
}

USBDeviceHandleSim::USBDeviceHandleSim(const USBDeviceSim& device)
    : device_(device), stick_(device.Room()->Stick(device.Index())) {}

USBDeviceHandleSim::~USBDeviceHandleSim() {
  queue_.MarkGone();
  {
    std::lock_guard lock(readerMutex_);
    stop_ = true;
  }
  readerSignal_.notify_all();
  if (reader_.joinable()) reader_.join();
  stick_.Detach(this);
}

void USBDeviceHandleSim::OnStickBytes(const std::uint8_t* bytes, std::size_t count) {
  queue_.Append(bytes, count);
}

void USBDeviceHandleSim::OnStickGone() {
  queue_.MarkGone();
  readerSignal_.notify_all();
}

void USBDeviceHandleSim::ReaderLoop() {
  InstallThreadSignalStack();
  NameThisThread("ant-sim");
  sim::SimClock& clock = device_.Room()->Clock();
  std::unique_lock lock(readerMutex_);
  while (!stop_ && !queue_.IsGone()) {
    std::uint64_t napUs = kLongestNapMs * 1000;
    if (!clock.IsManual()) {
      lock.unlock();
      stick_.Pump();
      const std::optional<std::uint64_t> due = stick_.NextDueUs();
      const std::uint64_t now = clock.NowUs();
      lock.lock();
      if (due) napUs = std::clamp<std::uint64_t>(*due > now ? *due - now : 0, 1000, napUs);
    }
    readerSignal_.wait_for(lock, std::chrono::microseconds(napUs), [this] { return stop_; });
  }
}

HandleResult USBDeviceHandleSim::WriteToDevice(const std::uint8_t* bytes, std::size_t count,
                                               std::size_t& written) {
  stick_.Receive(bytes, count);
  written = count;
  return HandleResult::kOk;
}

}  // namespace vel
