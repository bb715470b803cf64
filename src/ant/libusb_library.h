#pragma once

#include <libusb-1.0/libusb.h>

#include <memory>
#include <string>

namespace vel {

// Why libusb could not be loaded: thrown by LibusbLibrary's constructor and
// caught where a device list or handle is made.
struct LibusbError {
  enum Enum {
    kLibraryMissing = 1,
    kEntryPointMissing = 2,
  };
};

// libusb-1.0 loaded at run time (the program never links it, so a machine
// without it simply has no libusb sticks). Holds one pointer per entry point
// the program uses; every one is required.
class LibusbLibrary {
 public:
  static constexpr const char* kDefaultName = "libusb-1.0.so.0";

  // Throws LibusbError::Enum.
  explicit LibusbLibrary(const std::string& name = kDefaultName);
  ~LibusbLibrary();
  LibusbLibrary(const LibusbLibrary&) = delete;
  LibusbLibrary& operator=(const LibusbLibrary&) = delete;

  // A loaded library. The first load of the default library is kept for
  // the rest of the run, so that it is not unloaded and loaded again at
  // every Open. Throws LibusbError::Enum.
  static std::shared_ptr<LibusbLibrary> Load(const std::string& name);

  decltype(&libusb_init) init = nullptr;
  decltype(&libusb_exit) exit = nullptr;
  decltype(&libusb_get_device_list) get_device_list = nullptr;
  decltype(&libusb_free_device_list) free_device_list = nullptr;
  decltype(&libusb_get_device_descriptor) get_device_descriptor = nullptr;
  decltype(&libusb_get_bus_number) get_bus_number = nullptr;
  decltype(&libusb_get_device_address) get_device_address = nullptr;
  decltype(&libusb_open) open = nullptr;
  decltype(&libusb_close) close = nullptr;
  decltype(&libusb_get_string_descriptor_ascii) get_string_descriptor_ascii = nullptr;
  decltype(&libusb_kernel_driver_active) kernel_driver_active = nullptr;
  decltype(&libusb_detach_kernel_driver) detach_kernel_driver = nullptr;
  decltype(&libusb_attach_kernel_driver) attach_kernel_driver = nullptr;
  decltype(&libusb_set_auto_detach_kernel_driver) set_auto_detach_kernel_driver = nullptr;
  decltype(&libusb_get_configuration) get_configuration = nullptr;
  decltype(&libusb_set_configuration) set_configuration = nullptr;
  decltype(&libusb_claim_interface) claim_interface = nullptr;
  decltype(&libusb_release_interface) release_interface = nullptr;
  decltype(&libusb_clear_halt) clear_halt = nullptr;
  decltype(&libusb_bulk_transfer) bulk_transfer = nullptr;

  // Hot-plug notices, which older libraries lack: nullptr then, and the
  // program lists the sticks again instead.
  decltype(&libusb_has_capability) has_capability = nullptr;
  decltype(&libusb_hotplug_register_callback) hotplug_register_callback = nullptr;
  decltype(&libusb_hotplug_deregister_callback) hotplug_deregister_callback = nullptr;
  decltype(&libusb_handle_events_timeout_completed) handle_events_timeout_completed = nullptr;
  bool HasHotplug() const;

 private:
  void* module_ = nullptr;
};

}  // namespace vel
