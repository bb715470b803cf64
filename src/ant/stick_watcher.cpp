#include "ant/stick_watcher.h"

#include <set>

#include "ant/serial.h"
#include "common/queues.h"
#include "common/room.h"
#include "common/string_printf.h"
#include "common/thread_name.h"
#include "crash/thread_signal_stack.h"

namespace vel {

StickWatcher::StickWatcher(ReceiverSettings settings) : settings_(std::move(settings)) {}

StickWatcher::~StickWatcher() { Stop(); }

void StickWatcher::Note(const std::string& key, std::uint8_t port, bool open) {
  std::lock_guard lock(mutex_);
  remembered_[key] = port;
  if (open) held_[key] = port;
}

void StickWatcher::Start() {
  if (settings_.rescanPeriod.count() <= 0 || thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = false;
  }
  thread_ = std::thread(&StickWatcher::Run, this);
}

void StickWatcher::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  CloseRetired();
  std::lock_guard lock(scanMutex_);
  hotplug_.Stop();
}

void StickWatcher::Run() {
  InstallThreadSignalStack();
  NameThisThread("stick-watch");
  std::unique_lock lock(mutex_);
  while (!stop_) {
    lock.unlock();
    CloseRetired();
    Scan();
    lock.lock();
    wake_.wait_for(lock, settings_.rescanPeriod, [this] { return stop_ || !retired_.empty(); });
  }
}

void StickWatcher::Scan() {
  std::lock_guard scanLock(scanMutex_);
  RescanFilter filter;
  filter.held = [this](const std::string& key) {
    std::lock_guard lock(mutex_);
    return held_.count(key) != 0;
  };
  // Listing libusb sticks opens them to read their strings: with hot-plug
  // notices that happens only after an arrival.
  if (!hotplug_.Active()) hotplug_.Start(settings_.discovery.libusbLibrary);
  filter.libusb = hotplug_.TakeArrivals();
  const USBDeviceList<USBDevice> sticks = DiscoverAntSticks(settings_.discovery, filter);

  std::set<std::string> listed;
  for (std::size_t i = 0; i < sticks.Size(); ++i) {
    const std::shared_ptr<USBDevice>& stick = sticks[i];
    const std::string key = stick->Key();
    listed.insert(key);
    std::uint8_t port = DSISerial::kNoPort;
    bool back = false;
    int failures = 0;
    {
      std::lock_guard lock(mutex_);
      if (held_.count(key) != 0) continue;
      failures = failures_[key];
      if (failures >= kQuickRetries && scans_ % kRetryScans != 0) continue;
      port = PortFor(key);
      if (port == DSISerial::kNoPort) continue;  // every port taken
      back = remembered_.count(key) != 0;
      held_[key] = port;
      remembered_[key] = port;
    }
    if (failures == 0) {
      PushLog(StringPrintf("USB device( %d ) %s: %s", port, back ? "is back" : "found",
                           stick->Describe().c_str()));
    }
    std::unique_ptr<AntReceiver> receiver = AntReceiver::OpenStick(port, stick, settings_);
    std::lock_guard lock(mutex_);
    if (receiver) {
      failures_.erase(key);
      found_.push_back(std::move(receiver));
    } else {
      if (failures == 0) PushLog(StringPrintf("USB device( %d ) could not be opened", port));
      held_.erase(key);
      ++failures_[key];
    }
  }
  std::lock_guard lock(mutex_);
  // A stick that went away is tried at once when it comes back.
  for (auto it = failures_.begin(); it != failures_.end();) {
    it = listed.count(it->first) != 0 ? std::next(it) : failures_.erase(it);
  }
  ++scans_;
}

std::uint8_t StickWatcher::PortFor(const std::string& key) const {
  std::set<std::uint8_t> taken;
  for (const auto& [k, port] : held_) taken.insert(port);
  const auto known = remembered_.find(key);
  if (known != remembered_.end() && taken.count(known->second) == 0) return known->second;
  std::set<std::uint8_t> promised;  // the ports of sticks seen before
  for (const auto& [k, port] : remembered_) promised.insert(port);
  std::uint8_t fallback = DSISerial::kNoPort;
  for (int p = 0; p < kStickPorts; ++p) {
    const auto port = static_cast<std::uint8_t>(p);
    if (taken.count(port) != 0) continue;
    if (promised.count(port) == 0) return port;
    if (fallback == DSISerial::kNoPort) fallback = port;
  }
  return fallback;
}

std::vector<std::unique_ptr<AntReceiver>> StickWatcher::TakeFound() {
  std::lock_guard lock(mutex_);
  return std::move(found_);
}

void StickWatcher::Retire(std::unique_ptr<AntReceiver> receiver) {
  if (!receiver) return;
  {
    std::lock_guard lock(mutex_);
    if (thread_.joinable() && !stop_) {
      retired_.push_back(std::move(receiver));
      wake_.notify_all();
      return;
    }
  }
  Close(std::move(receiver));
}

void StickWatcher::CloseRetired() {
  std::vector<std::unique_ptr<AntReceiver>> closing;
  {
    std::lock_guard lock(mutex_);
    closing.swap(retired_);
  }
  for (auto& receiver : closing) Close(std::move(receiver));
}

void StickWatcher::Close(std::unique_ptr<AntReceiver> receiver) {
  const std::string key = receiver->StickKey();
  receiver->StopReceiveLoop();
  receiver->CloseTransport();
  receiver->DropDecoders();
  receiver.reset();
  std::lock_guard lock(mutex_);
  held_.erase(key);
}

}  // namespace vel
