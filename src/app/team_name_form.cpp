#include "app/team_name_form.h"

namespace vel {
namespace {

const char* const kBadFormat = "잘 못된 형식입니다.\n네임에는 빈공간이 들어갈 수 없습니다.";
const char* const kCheckFirst = "중복 확인을 먼저 해주세요.";

}  // namespace

TeamNameForm::TeamNameForm(PacketSender& server, MessageBox& messages, LoginValues& login,
                           TeamNameRequests::From from)
    : requests_(server, messages, login), messages_(messages), from_(from) {}

void TeamNameForm::Check(const std::string& name) {
  if (name.empty() || name.find(' ') != std::string::npos) {
    messages_.Show(kBadFormat);
    return;
  }
  state_ = requests_.Check(name) ? State::kChecked : State::kEditing;
}

void TeamNameForm::EditAgain() { state_ = State::kEditing; }

bool TeamNameForm::Send(const std::string& name) {
  if (state_ != State::kChecked) {
    messages_.Show(kCheckFirst);
    return false;
  }
  const bool taken = requests_.Change(name, from_);
  state_ = State::kEditing;
  return taken;
}

}  // namespace vel
