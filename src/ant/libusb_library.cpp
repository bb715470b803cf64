#include "ant/libusb_library.h"

#include <dlfcn.h>

#include <mutex>

namespace vel {
namespace {

template <typename F>
bool Resolve(void* module, const char* symbol, F& out) {
  out = reinterpret_cast<F>(dlsym(module, symbol));
  return out != nullptr;
}

}  // namespace

LibusbLibrary::LibusbLibrary(const std::string& name) {
  module_ = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module_ == nullptr) throw LibusbError::kLibraryMissing;
  const bool all =
      Resolve(module_, "libusb_init", init) && Resolve(module_, "libusb_exit", exit) &&
      Resolve(module_, "libusb_get_device_list", get_device_list) &&
      Resolve(module_, "libusb_free_device_list", free_device_list) &&
      Resolve(module_, "libusb_get_device_descriptor", get_device_descriptor) &&
      Resolve(module_, "libusb_get_bus_number", get_bus_number) &&
      Resolve(module_, "libusb_get_device_address", get_device_address) &&
      Resolve(module_, "libusb_open", open) && Resolve(module_, "libusb_close", close) &&
      Resolve(module_, "libusb_get_string_descriptor_ascii", get_string_descriptor_ascii) &&
      Resolve(module_, "libusb_kernel_driver_active", kernel_driver_active) &&
      Resolve(module_, "libusb_detach_kernel_driver", detach_kernel_driver) &&
      Resolve(module_, "libusb_attach_kernel_driver", attach_kernel_driver) &&
      Resolve(module_, "libusb_set_auto_detach_kernel_driver", set_auto_detach_kernel_driver) &&
      Resolve(module_, "libusb_get_configuration", get_configuration) &&
      Resolve(module_, "libusb_set_configuration", set_configuration) &&
      Resolve(module_, "libusb_claim_interface", claim_interface) &&
      Resolve(module_, "libusb_release_interface", release_interface) &&
      Resolve(module_, "libusb_clear_halt", clear_halt) &&
      Resolve(module_, "libusb_bulk_transfer", bulk_transfer);
  if (!all) {
    dlclose(module_);
    module_ = nullptr;
    throw LibusbError::kEntryPointMissing;
  }
  Resolve(module_, "libusb_has_capability", has_capability);
  Resolve(module_, "libusb_hotplug_register_callback", hotplug_register_callback);
  Resolve(module_, "libusb_hotplug_deregister_callback", hotplug_deregister_callback);
  Resolve(module_, "libusb_handle_events_timeout_completed", handle_events_timeout_completed);
}

bool LibusbLibrary::HasHotplug() const {
  return has_capability != nullptr && hotplug_register_callback != nullptr &&
         hotplug_deregister_callback != nullptr && handle_events_timeout_completed != nullptr &&
         has_capability(LIBUSB_CAP_HAS_HOTPLUG) != 0;
}

LibusbLibrary::~LibusbLibrary() {
  if (module_ != nullptr) dlclose(module_);
}

std::shared_ptr<LibusbLibrary> LibusbLibrary::Load(const std::string& name) {
  static std::mutex mutex;
  static std::shared_ptr<LibusbLibrary> kept;
  std::lock_guard lock(mutex);
  if (kept && name == kDefaultName) return kept;
  auto library = std::make_shared<LibusbLibrary>(name);
  if (name == kDefaultName) kept = library;
  return library;
}

}  // namespace vel
