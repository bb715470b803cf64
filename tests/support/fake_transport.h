#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "ant/ant_transport.h"

namespace vel::test {

// Records every write; an optional responder sees each written frame and
// may answer it (for instance by feeding the framer a response).
class FakeTransport : public AntTransport {
 public:
  using Responder = std::function<void(const std::vector<std::uint8_t>& written)>;

  bool WriteBytes(const std::uint8_t* bytes, std::size_t count) override {
    std::vector<std::uint8_t> frame(bytes, bytes + count);
    Responder responder;
    {
      std::lock_guard lock(mutex_);
      writes_.push_back(frame);
      if (!accept_) return false;
      responder = responder_;
    }
    if (responder) responder(frame);
    return true;
  }

  void SetResponder(Responder r) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(r);
  }
  void SetAccept(bool accept) {
    std::lock_guard lock(mutex_);
    accept_ = accept;
  }
  std::vector<std::vector<std::uint8_t>> Writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    writes_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::vector<std::uint8_t>> writes_;
  Responder responder_;
  bool accept_ = true;
};

}  // namespace vel::test
