#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "ant/libusb_library.h"

namespace vel {

// Tells when an ANT stick arrives on USB, through libusb's hot-plug
// callbacks, so that libusb sticks are listed only then rather than at
// every rescan (listing opens each stick to read its strings). Libraries
// without hot-plug support leave it inactive, and the caller lists the
// libusb sticks at every rescan.
//
// One thread: the one that starts it calls TakeArrivals and Stop.
class LibusbHotplug {
 public:
  LibusbHotplug() = default;
  ~LibusbHotplug();
  LibusbHotplug(const LibusbHotplug&) = delete;
  LibusbHotplug& operator=(const LibusbHotplug&) = delete;

  // False when the library cannot be loaded or has no hot-plug support.
  bool Start(const std::string& libraryName);
  bool Active() const { return context_ != nullptr; }
  // Runs the callbacks of what happened since the last call, without
  // waiting; true when a stick arrived (and at the first call, so that the
  // sticks already there are listed once).
  bool TakeArrivals();
  void Stop();

 private:
  static int LIBUSB_CALL OnArrival(libusb_context* context, libusb_device* device,
                                   libusb_hotplug_event event, void* self);

  std::shared_ptr<LibusbLibrary> lib_;
  libusb_context* context_ = nullptr;
  std::vector<libusb_hotplug_callback_handle> callbacks_;
  std::atomic<bool> arrived_{true};
};

}  // namespace vel
