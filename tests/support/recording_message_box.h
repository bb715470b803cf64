#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "common/message_box.h"

namespace vel::test {

// Records every message instead of showing it; Show returns at once, as if
// the user had pressed OK.
class RecordingMessageBox : public MessageBox {
 public:
  void Show(const std::string& text) override {
    std::lock_guard lock(mutex_);
    texts_.push_back(text);
  }

  void Clear() {
    std::lock_guard lock(mutex_);
    texts_.clear();
  }

  std::vector<std::string> Texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
};

}  // namespace vel::test
