#include "app/member_form.h"

#include <algorithm>
#include <charconv>

#include "team/body_measure.h"
#include "team/gear_lists.h"
#include "team/roster_limits.h"

namespace vel {
namespace {

const char* const kEnterName = "이름을 입력해 주세요.";
const char* const kMemberInUse =
    "메인창에 선택이 되어서 사용중인 유저입니다.\n선택을 해제하여 주세요.";
const char* const kEnterDeviceNumber = "장치 번호를 입력해 주세요.";
const char* const kDeviceListed = "이미 등록된 장치입니다.";
const char* const kEnterBicycleName = "추가하실 자전거 이름이 빈공간 입니다.";
// Values the server would refuse.
const char* const kDeviceNumberRange = "장치 번호는 0에서 65535 사이의 숫자로 입력해 주세요.";
const char* const kNameTooLong = "이름이 너무 깁니다.\n영문 100자, 한글 33자 이내로 입력해 주세요.";
const char* const kNameHasControl = "이름에 쓸 수 없는 문자가 들어 있습니다.";
const char* const kBodyTooLarge = "키와 몸무게는 1000 이하로 입력해 주세요.";
const char* const kBicycleTooHeavy = "자전거 무게는 1000 이하로 입력해 주세요.";

// The boxes take four whole digits and one of tenths; anything from here
// on would round to five.
constexpr float kTooLargeToShow = 9999.95f;

std::optional<float> Read(const MemberForm::WholeAndTenths& boxes) {
  return ReadWholeAndTenths(boxes.whole, boxes.tenths);
}

// A position of a fixed list of `size` entries; -1 (no selection) for any other.
std::int32_t Position(std::int32_t position, std::size_t size) {
  return position >= 0 && static_cast<std::size_t>(position) < size ? position : -1;
}

bool DeviceNumberUsable(const std::string& text) {
  long number = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), number);
  return read.ec == std::errc() && read.ptr == text.data() + text.size() && number >= 0 &&
         number <= kMaxDeviceNumber;
}

}  // namespace

MemberForm::MemberForm(TeamRoster& roster, const RiderLists& riderLists, MessageBox& messages)
    : roster_(roster), riderLists_(riderLists), messages_(messages) {}

MemberForm::WholeAndTenths MemberForm::ShowMeasure(float value) {
  if (!(value >= 0.0f && value < kTooLargeToShow)) return {};
  const auto [whole, tenths] = ShowWholeAndTenths(value);
  return {whole, tenths};
}

bool MemberForm::NameUsable(const std::string& name, const char* blankMessage) {
  if (name.find_first_not_of(' ') == std::string::npos) {
    messages_.Show(blankMessage);
    return false;
  }
  if (name.size() > kMaxNameBytes) {
    messages_.Show(kNameTooLong);
    return false;
  }
  if (std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
      })) {
    messages_.Show(kNameHasControl);
    return false;
  }
  return true;
}

bool MemberForm::MeasureUsable(const std::optional<float>& value, const char* tooLargeMessage) {
  if (value && *value > kMaxBodyValue) {
    messages_.Show(tooLargeMessage);
    return false;
  }
  return true;
}

bool MemberForm::MayChangeShownMember() {
  const std::optional<std::uint64_t> member = roster_.SelectedMember();
  if (!member) return false;
  if (riderLists_.IsMemberInUse(*member)) {
    messages_.Show(kMemberInUse);
    return false;
  }
  return true;
}

void MemberForm::AddMember(const std::string& name) {
  if (!NameUsable(name, kEnterName)) return;
  roster_.AddMember(name);
}

bool MemberForm::DeleteMember() {
  const auto member = roster_.SelectedMember();
  return member && roster_.DeleteMember(*member);
}

MemberForm::BodyShown MemberForm::ShowMember(std::optional<std::uint64_t> memberId) {
  roster_.SelectMember(memberId);
  BodyShown shown;
  const MemberRecord* member = memberId ? roster_.FindMember(*memberId) : nullptr;
  if (member == nullptr) return shown;
  shown.height = ShowMeasure(member->height);
  shown.weight = ShowMeasure(member->weight);
  if (Position(member->gender, GenderList().size()) >= 0) shown.gender = member->gender;
  return shown;
}

void MemberForm::AddSensor(std::int32_t type, const std::string& number) {
  if (!MayChangeShownMember()) return;
  if (number.empty()) {
    messages_.Show(kEnterDeviceNumber);
    return;
  }
  if (roster_.SensorList(type).HasText(number)) {
    messages_.Show(kDeviceListed);
    return;
  }
  if (!DeviceNumberUsable(number)) {
    messages_.Show(kDeviceNumberRange);
    return;
  }
  roster_.AddDevice(type, number);
}

void MemberForm::DeleteSensor(std::int32_t type, std::optional<std::uint64_t> deviceId) {
  if (!MayChangeShownMember() || !deviceId) return;
  roster_.DeleteDevice(type, *deviceId);
}

void MemberForm::ToggleSensor(std::int32_t type, std::optional<std::uint64_t> deviceId) {
  if (!MayChangeShownMember() || !deviceId) return;
  roster_.ToggleDevice(type, *deviceId);
}

void MemberForm::SaveBody(const WholeAndTenths& height, const WholeAndTenths& weight,
                          std::optional<std::int32_t> gender) {
  if (!MayChangeShownMember()) return;
  const std::optional<float> cm = Read(height);
  const std::optional<float> kg = Read(weight);
  if (!MeasureUsable(cm, kBodyTooLarge) || !MeasureUsable(kg, kBodyTooLarge)) return;
  roster_.SaveBodyInfo(cm, kg, gender);
}

void MemberForm::AddBicycle(const std::string& name, const WholeAndTenths& weight,
                            std::int32_t crank, std::int32_t cassette, std::int32_t tire) {
  if (!MayChangeShownMember() || !NameUsable(name, kEnterBicycleName)) return;
  const std::optional<float> kg = Read(weight);
  if (!MeasureUsable(kg, kBicycleTooHeavy)) return;
  roster_.AddBicycle(name, kg, crank, cassette, tire);
}

void MemberForm::DeleteBicycle(std::optional<std::uint64_t> bicycleId) {
  if (!MayChangeShownMember() || !bicycleId) return;
  roster_.DeleteBicycle(*bicycleId);
}

void MemberForm::ToggleBicycle(std::optional<std::uint64_t> bicycleId) {
  if (!MayChangeShownMember() || !bicycleId) return;
  roster_.ToggleBicycle(*bicycleId);
}

MemberForm::BicycleShown MemberForm::ShowBicycle(std::optional<std::uint64_t> bicycleId) const {
  BicycleShown shown;
  const auto memberId = roster_.SelectedMember();
  const MemberRecord* member = memberId ? roster_.FindMember(*memberId) : nullptr;
  if (member == nullptr || !bicycleId) return shown;
  const auto bicycle = std::find_if(member->bicycles.begin(), member->bicycles.end(),
                                    [&](const BicycleRecord& b) { return b.id == *bicycleId; });
  if (bicycle == member->bicycles.end()) return shown;
  shown.weight = ShowMeasure(bicycle->weight);
  shown.crank = Position(bicycle->crank, ChainringList().size());
  shown.cassette = Position(bicycle->cassette, CassetteList().size());
  shown.tire = Position(bicycle->tire, TireList().size());
  return shown;
}

}  // namespace vel
