#include "ant/usb_device_handle_libusb.h"

#include <vector>

#include "ant/ant_frame.h"
#include "ant/usb_permission.h"
#include "common/ant_commands.h"
#include "common/thread_name.h"
#include "crash/thread_signal_stack.h"

namespace vel {
namespace {

// An ANT request-message frame asking for the capabilities: it wakes the
// stick's USB side up.
std::vector<std::uint8_t> WakeUpFrame() {
  const AntCommand request = ant_command::RequestMessage(0, ant_id::kCapabilities);
  return AntFrame(request.message, static_cast<std::uint8_t>(request.length));
}

}  // namespace

LibusbReadStep NextLibusbReadStep(int result, int transferred, int errorsInARow) {
  if (transferred > 0) return {true, 0, false};  // data, even with a time-out
  if (result == LIBUSB_SUCCESS || result == LIBUSB_ERROR_TIMEOUT) {
    return {false, errorsInARow, false};
  }
  if (result == LIBUSB_ERROR_NO_DEVICE) return {false, errorsInARow + 1, true};
  const int errors = errorsInARow + 1;
  return {false, errors, errors >= USBDeviceHandleLibusb::kErrorsInARow};
}

std::unique_ptr<USBDeviceHandleLibusb> USBDeviceHandleLibusb::Open(const USBDeviceLibusb& device) {
  std::shared_ptr<LibusbLibrary> lib;
  try {
    lib = LibusbLibrary::Load(device.LibraryName());
  } catch (LibusbError::Enum) {
    return nullptr;
  }
  std::unique_ptr<USBDeviceHandleLibusb> handle(new USBDeviceHandleLibusb(device, std::move(lib)));
  if (!handle->Claim()) return nullptr;  // the destructor releases what was taken
  try {
    handle->reader_ = std::thread(&USBDeviceHandleLibusb::ReaderLoop, handle.get());
  } catch (const std::system_error&) {
    return nullptr;
  }
  handle->WakeUp();
  return handle;
}

USBDeviceHandleLibusb::USBDeviceHandleLibusb(const USBDeviceLibusb& device,
                                             std::shared_ptr<LibusbLibrary> lib)
    : device_(device), lib_(std::move(lib)) {}

USBDeviceHandleLibusb::~USBDeviceHandleLibusb() { Close(); }

bool USBDeviceHandleLibusb::Claim() {
  if (lib_->init(&context_) != 0) {
    context_ = nullptr;
    return false;
  }
  // Find the stick again by its place on the bus: device pointers of the
  // discovery's own context are gone by now.
  libusb_device** devices = nullptr;
  const ssize_t count = lib_->get_device_list(context_, &devices);
  int opened = LIBUSB_ERROR_NOT_FOUND;
  for (ssize_t i = 0; i < count; ++i) {
    if (lib_->get_bus_number(devices[i]) == device_.Identity().busNumber &&
        lib_->get_device_address(devices[i]) == device_.Identity().deviceAddress) {
      opened = lib_->open(devices[i], &usb_);
      break;
    }
  }
  if (count >= 0) lib_->free_device_list(devices, 1);
  if (opened != 0) {
    usb_ = nullptr;
    if (opened == LIBUSB_ERROR_ACCESS) LogPermissionDenied(device_.Describe());
    return false;
  }

  // The kernel's usb_serial_simple claims these sticks as a tty; take the
  // interface from it and give it back when closing.
  if (lib_->kernel_driver_active(usb_, 0) == 1) {
    if (lib_->detach_kernel_driver(usb_, 0) != 0) return false;
    reattachKernelDriver_ = true;
  }
  int configuration = 0;
  if (lib_->get_configuration(usb_, &configuration) != 0 ||
      (configuration != 1 && lib_->set_configuration(usb_, 1) != 0)) {
    return false;
  }
  const int claimed = lib_->claim_interface(usb_, 0);
  if (claimed == LIBUSB_ERROR_ACCESS) LogPermissionDenied(device_.Describe());
  if (claimed != 0) return false;
  claimed_ = true;
  return true;
}

void USBDeviceHandleLibusb::WakeUp() {
  std::size_t written = 0;
  const std::vector<std::uint8_t> frame = WakeUpFrame();
  Write(frame.data(), frame.size(), written);
  Write(frame.data(), frame.size(), written);
  std::uint8_t discard[44];
  std::size_t count = 0;
  Read(discard, sizeof discard, count, 10);
  Read(discard, sizeof discard, count, 10);
}

void USBDeviceHandleLibusb::Close() {
  queue_.MarkGone();
  stop_ = true;
  // Every bulk read of the reader ends within kReadTimeoutMs.
  if (reader_.joinable()) reader_.join();
  if (usb_ != nullptr) {
    if (claimed_) lib_->release_interface(usb_, 0);
    if (reattachKernelDriver_) lib_->attach_kernel_driver(usb_, 0);
    lib_->close(usb_);
    usb_ = nullptr;
  }
  if (context_ != nullptr) {
    lib_->exit(context_);
    context_ = nullptr;
  }
}

void USBDeviceHandleLibusb::ReaderLoop() {
  InstallThreadSignalStack();
  NameThisThread("ant-usb");
  unsigned char buffer[4096];
  int errors = 0;
  while (!stop_.load()) {
    int transferred = 0;
    const int result =
        lib_->bulk_transfer(usb_, kEndpointIn, buffer, sizeof buffer, &transferred, kReadTimeoutMs);
    const LibusbReadStep step = NextLibusbReadStep(result, transferred, errors);
    if (step.keepBytes) queue_.Append(buffer, static_cast<std::size_t>(transferred));
    errors = step.errorsInARow;
    if (step.stop) break;
    if (result == LIBUSB_ERROR_PIPE) lib_->clear_halt(usb_, kEndpointIn);
  }
  queue_.MarkGone();
}

HandleResult USBDeviceHandleLibusb::WriteToDevice(const std::uint8_t* bytes, std::size_t count,
                                                  std::size_t& written) {
  int transferred = 0;
  // The frame is not changed; libusb only takes a non-const buffer.
  const int result = lib_->bulk_transfer(usb_, kEndpointOut, const_cast<std::uint8_t*>(bytes),
                                         static_cast<int>(count), &transferred, kWriteTimeoutMs);
  written = transferred > 0 ? static_cast<std::size_t>(transferred) : 0;
  if (result == LIBUSB_ERROR_NO_DEVICE) queue_.MarkGone();
  if (result != 0 || written != count) return HandleResult::kWriteFailed;
  return HandleResult::kOk;
}

}  // namespace vel
