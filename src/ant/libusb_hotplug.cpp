#include "ant/libusb_hotplug.h"

#include "ant/device_discovery.h"

namespace vel {

LibusbHotplug::~LibusbHotplug() { Stop(); }

bool LibusbHotplug::Start(const std::string& libraryName) {
  Stop();
  try {
    lib_ = LibusbLibrary::Load(libraryName);
  } catch (LibusbError::Enum) {
    return false;
  }
  if (!lib_->HasHotplug() || lib_->init(&context_) != 0) {
    context_ = nullptr;
    lib_.reset();
    return false;
  }
  for (const std::uint16_t vendor : {kAntVendorId, kNordicVendorId}) {
    libusb_hotplug_callback_handle handle = 0;
    if (lib_->hotplug_register_callback(context_, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED,
                                        static_cast<libusb_hotplug_flag>(0), vendor,
                                        LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
                                        &LibusbHotplug::OnArrival, this, &handle) != 0) {
      Stop();
      return false;
    }
    callbacks_.push_back(handle);
  }
  arrived_ = true;
  return true;
}

bool LibusbHotplug::TakeArrivals() {
  if (context_ == nullptr) return true;
  timeval none{0, 0};
  lib_->handle_events_timeout_completed(context_, &none, nullptr);
  return arrived_.exchange(false);
}

void LibusbHotplug::Stop() {
  if (context_ != nullptr) {
    for (libusb_hotplug_callback_handle handle : callbacks_) {
      lib_->hotplug_deregister_callback(context_, handle);
    }
    lib_->exit(context_);
  }
  callbacks_.clear();
  context_ = nullptr;
  lib_.reset();
}

int LIBUSB_CALL LibusbHotplug::OnArrival(libusb_context*, libusb_device*, libusb_hotplug_event,
                                         void* self) {
  static_cast<LibusbHotplug*>(self)->arrived_ = true;
  return 0;  // stay registered
}

}  // namespace vel
