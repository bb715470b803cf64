#include "ant/usb_device.h"

#include <algorithm>
#include <cstring>

#include "ant/usb_device_handle_libusb.h"
#include "ant/usb_device_handle_si.h"
#include "ant/usb_device_handle_sim.h"
#include "common/string_printf.h"

namespace vel {
namespace {

bool CopyText(const std::string& text, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return false;
  const std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return true;
}

}  // namespace

bool USBDeviceWithIdentity::GetProductDescription(char* buffer, std::size_t size) const {
  return CopyText(identity_.product, buffer, size);
}

bool USBDeviceWithIdentity::GetSerialString(char* buffer, std::size_t size) const {
  return CopyText(identity_.serialText, buffer, size);
}

std::unique_ptr<USBDevice> USBDeviceSI::Clone() const {
  return std::make_unique<USBDeviceSI>(*this);
}

std::unique_ptr<USBDeviceHandle> USBDeviceSI::OpenHandle(std::uint32_t baudRate) const {
  return USBDeviceHandleSI::Open(*this, baudRate);
}

std::unique_ptr<USBDevice> USBDeviceLibusb::Clone() const {
  return std::make_unique<USBDeviceLibusb>(*this);
}

std::unique_ptr<USBDeviceHandle> USBDeviceLibusb::OpenHandle(std::uint32_t) const {
  return USBDeviceHandleLibusb::Open(*this);
}

std::string USBDeviceLibusb::Describe() const {
  return StringPrintf("USB bus %d device %d", Identity().busNumber, Identity().deviceAddress);
}

std::string USBDeviceLibusb::Key() const {
  return StringPrintf("usb:%d-%d", Identity().busNumber, Identity().deviceAddress);
}

bool USBDeviceSim::GetProductDescription(char* buffer, std::size_t size) const {
  return CopyText("Simulated ANT stick", buffer, size);
}

bool USBDeviceSim::GetSerialString(char* buffer, std::size_t size) const {
  return CopyText(std::to_string(GetSerialNumber()), buffer, size);
}

std::unique_ptr<USBDevice> USBDeviceSim::Clone() const {
  return std::make_unique<USBDeviceSim>(*this);
}

std::unique_ptr<USBDeviceHandle> USBDeviceSim::OpenHandle(std::uint32_t) const {
  return USBDeviceHandleSim::Open(*this);
}

std::string USBDeviceSim::Describe() const { return StringPrintf("simulated stick %d", index_); }

}  // namespace vel
