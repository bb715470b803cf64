#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace vel {

// An ordered list of device records. A port is an index into the list that
// discovery makes, so the order is part of the contract. Records are shared
// and never changed, so lists may be copied and filtered freely.
template <typename T>
class USBDeviceList {
 public:
  using Pointer = std::shared_ptr<T>;

  void Add(Pointer device) { devices_.push_back(std::move(device)); }

  // Appends every record of `other` (a list of T or of a kind derived from it).
  template <typename U>
  void Append(const USBDeviceList<U>& other) {
    static_assert(std::is_convertible_v<U*, T*>);
    for (std::size_t i = 0; i < other.Size(); ++i) devices_.push_back(other[i]);
  }

  // The records for which `keep` holds, in list order.
  template <typename Predicate>
  USBDeviceList GetSubList(Predicate keep) const {
    USBDeviceList out;
    for (const Pointer& d : devices_) {
      if (keep(*d)) out.Add(d);
    }
    return out;
  }

  std::size_t Size() const { return devices_.size(); }
  bool Empty() const { return devices_.empty(); }
  const Pointer& operator[](std::size_t i) const { return devices_[i]; }

 private:
  std::vector<Pointer> devices_;
};

}  // namespace vel
