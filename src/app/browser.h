#pragma once

#include <string>

namespace vel {

// The embedded web browser of the login window, as the sign-in drives it:
// it only navigates and is polled for its state.
class Browser {
 public:
  virtual ~Browser() = default;
  virtual void Navigate(const std::string& address) = 0;
  // True while a page loads.
  virtual bool Busy() const = 0;
  // The address the browser shows now.
  virtual std::string CurrentAddress() const = 0;
};

}  // namespace vel
