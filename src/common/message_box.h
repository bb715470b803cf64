#pragma once

#include <string>

namespace vel {

// A modal message to the user with an OK button and no icon; Show returns
// when the user has closed it. The user interface implements it; the core
// only names the text.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void Show(const std::string& text) = 0;
};

}  // namespace vel
