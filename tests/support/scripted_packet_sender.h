#pragma once

#include <cpprest/json.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "server/packet_sender.h"

namespace vel::test {

// Answers each request by its header with a scripted reply, like the
// application server would (true when the reply's "result" is true), and
// keeps the compact text of every request sent.
class ScriptedPacketSender : public PacketSender {
 public:
  // The reply to every later request with this header ("result" decides the answer).
  void Answer(int header, const std::string& replyJson) {
    answers_[header] = web::json::value::parse(replyJson);
  }
  // Requests with this header fail as a broken connection would: false, no reply.
  void Fail(int header) { answers_.erase(header); }

  bool SendPacket(const web::json::value& request, web::json::value& reply) override {
    sent_.push_back(request.serialize());
    // What runs while the request waits, as a modal message box's loop would.
    if (whileWaiting) std::exchange(whileWaiting, nullptr)();
    const int header = request.at("header").as_integer();
    const auto found = answers_.find(header);
    if (found == answers_.end()) return false;
    reply = found->second;
    return reply.has_field("result") && reply.at("result").is_boolean() &&
           reply.at("result").as_bool();
  }

  const std::vector<std::string>& Sent() const { return sent_; }

  // Runs once inside the next request.
  std::function<void()> whileWaiting;
  std::string LastSent() const { return sent_.empty() ? "" : sent_.back(); }

 private:
  std::map<int, web::json::value> answers_;
  std::vector<std::string> sent_;
};

}  // namespace vel::test
