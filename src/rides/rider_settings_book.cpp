#include "rides/rider_settings_book.h"

#include <exception>

namespace vel {

RiderSettingsBook::RiderSettingsBook(std::filesystem::path storeFile)
    : file_(std::move(storeFile)) {
  try {
    store_ = std::make_unique<RideStore>(file_);
    riders_ = store_->Riders();
  } catch (const std::exception& e) {
    store_.reset();
    error_ = e.what();
  }
}

RiderSettingsBook::~RiderSettingsBook() = default;

RiderSettings RiderSettingsBook::Get(std::uint64_t memberId) const {
  const auto found = riders_.find(memberId);
  return found == riders_.end() ? RiderSettings{} : found->second;
}

std::string RiderSettingsBook::Set(std::uint64_t memberId, const RiderSettings& settings) {
  if (std::string refused = RefusedRiderSettings(settings, ThisYear()); !refused.empty()) {
    return refused;
  }
  try {
    if (!store_) store_ = std::make_unique<RideStore>(file_);
    store_->SetRider(memberId, settings);
  } catch (const std::exception& e) {
    store_.reset();
    error_ = e.what();
    return "라이더 설정을 저장하지 못했습니다.";
  }
  riders_[memberId] = settings;
  return "";
}

}  // namespace vel
