#include "ant/serial_generic.h"

#include <cstring>

#include "common/thread_name.h"
#include "crash/thread_signal_stack.h"

namespace vel {

DSISerialGeneric::DSISerialGeneric()
    : DSISerialGeneric(DeviceEnumerator(
          [] { return DiscoverAntSticks(DiscoverySettings::FromEnvironment()); })) {}

DSISerialGeneric::DSISerialGeneric(DiscoverySettings settings)
    : DSISerialGeneric(
          DeviceEnumerator([s = std::move(settings)] { return DiscoverAntSticks(s); })) {}

DSISerialGeneric::DSISerialGeneric(DeviceEnumerator enumerate) : enumerate_(std::move(enumerate)) {}

DSISerialGeneric::~DSISerialGeneric() { Close(false); }

bool DSISerialGeneric::InitAuto() { return Init(57600, 0); }

bool DSISerialGeneric::Init(std::uint32_t baudRate, std::uint8_t port) {
  Close(false);
  baudRate_ = baudRate;
  port_ = port;
  device_.reset();
  return true;
}

std::uint32_t DSISerialGeneric::GetDeviceSerialNumber() {
  return device_ ? device_->GetSerialNumber() : 0;
}

bool DSISerialGeneric::GetDeviceUsbInfo(std::uint8_t port, char* product, char* serial,
                                        std::size_t size) {
  const USBDeviceList<USBDevice> devices = enumerate_();
  if (port >= devices.Size()) return false;
  return devices[port]->GetProductDescription(product, size) &&
         devices[port]->GetSerialString(serial, size);
}

bool DSISerialGeneric::GetDevicePid(std::uint16_t& pid) {
  if (!device_) return false;
  pid = device_->GetPid();
  return true;
}

bool DSISerialGeneric::GetDeviceVid(std::uint16_t& vid) {
  if (!device_) return false;
  vid = device_->GetVid();
  return true;
}

bool DSISerialGeneric::Open() {
  Close(false);
  if (Callback() == nullptr) return false;

  const USBDeviceList<USBDevice> devices = enumerate_();
  if (port_ >= devices.Size()) return false;
  device_ = devices[port_]->Clone();

  std::shared_ptr<USBDeviceHandle> handle = device_->OpenHandle(baudRate_);
  if (!handle) {
    device_.reset();
    return false;
  }
  {
    std::lock_guard lock(handleMutex_);
    handle_ = std::move(handle);
  }

  std::lock_guard lock(threadMutex_);
  stop_ = false;
  receiving_ = true;
  try {
    thread_ = std::thread(&DSISerialGeneric::ReceiveLoop, this);
  } catch (const std::system_error&) {
    stop_ = true;
    receiving_ = false;
    std::lock_guard handleLock(handleMutex_);
    handle_.reset();
    return false;
  }
  return true;
}

void DSISerialGeneric::Close(bool) {
  std::thread finished;
  {
    std::lock_guard lock(threadMutex_);
    stop_ = true;
    if (thread_.joinable()) {
      if (thread_.get_id() == std::this_thread::get_id()) {
        // Called from the callback on the receive thread: the loop ends on
        // the stop flag and a later Close from the owner joins it.
        return;
      }
      if (std::shared_ptr<USBDeviceHandle> handle = CurrentHandle()) handle->CancelRead();
      finished = std::move(thread_);
    }
  }
  // The Read the thread may be in is cancelled and every Read is bounded,
  // so this join ends within one read time-out at worst.
  if (finished.joinable()) finished.join();

  std::shared_ptr<USBDeviceHandle> handle;
  {
    std::lock_guard lock(handleMutex_);
    handle = std::move(handle_);
  }
  // The handle closes when the last writer lets go of it.
  handle.reset();
}

bool DSISerialGeneric::WriteBytes(const std::uint8_t* bytes, std::size_t count) {
  std::shared_ptr<USBDeviceHandle> handle = CurrentHandle();
  if (!handle || bytes == nullptr || count == 0) return false;
  std::size_t written = 0;
  if (handle->Write(bytes, count, written) == HandleResult::kOk) return true;
  if (DSISerialCallback* callback = Callback()) callback->OnSerialError(serial_error::kWriteFailed);
  return false;
}

std::shared_ptr<USBDeviceHandle> DSISerialGeneric::CurrentHandle() const {
  std::lock_guard lock(handleMutex_);
  return handle_;
}

void DSISerialGeneric::ReceiveLoop() {
  InstallThreadSignalStack();
  NameThisThread("ant-serial");
  const std::shared_ptr<USBDeviceHandle> handle = CurrentHandle();
  DSISerialCallback* callback = Callback();
  std::uint8_t buffer[kReadBufferSize];
  while (!stop_.load()) {
    std::size_t count = 0;
    const HandleResult result = handle->Read(buffer, sizeof buffer, count, kReadTimeoutMs);
    if (result == HandleResult::kNothingRead) continue;
    if (result == HandleResult::kOk) {
      if (!stop_.load()) callback->OnBytes(buffer, count);
      continue;
    }
    // A Close in progress also makes the handle report itself gone; only a
    // loss the owner did not ask for is news to the framer. Any other
    // result is a read that failed.
    if (!stop_.load()) {
      callback->OnSerialError(result == HandleResult::kDeviceGone ? serial_error::kDeviceGone
                                                                  : serial_error::kReadFailed);
    }
    break;
  }
  stop_ = true;
  receiving_ = false;
}

}  // namespace vel
