#pragma once

// Requests of the program's catalogue sent through the program's own
// executor to an in-process companion server, for the server's tests.
#include <cpprest/json.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "server/request_catalogue.h"
#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/recording_message_box.h"

namespace vel::test {

using web::json::value;

struct Answered {
  bool ok = false;
  value reply;
  int Errcode() const { return reply.has_field("errcode") ? reply.at("errcode").as_integer() : 0; }
};

// {"header": h, members...} with the members in the order given.
inline value Packet(RequestHeader header,
                    std::initializer_list<std::pair<const char*, value>> members = {}) {
  value request = value::object(true);
  request["header"] = value::number(HeaderNumber(header));
  for (const auto& [name, member] : members) request[name] = member;
  return request;
}

inline value U64(std::uint64_t id) { return value::number(id); }

class AppSession {
 public:
  explicit AppSession(const RunningCompanionServer& server) : executor_(server.Config(), box_) {}

  RequestExecutor& Executor() { return executor_; }
  const RecordingMessageBox& Box() const { return box_; }

  Answered Ask(const value& request) {
    Answered answered;
    answered.ok = executor_.SendPacket(request, answered.reply);
    return answered;
  }

  // Each of these expects the server to say yes.
  std::uint64_t Account(const std::string& signInId) {
    return Id(Packet(RequestHeader::kSignIn,
                     {{"type", value::string("facebook")}, {"account", value::string(signInId)}}),
              "accountid");
  }
  std::uint64_t AddMember(std::uint64_t account, const std::string& name) {
    return Id(Packet(RequestHeader::kAddMember,
                     {{"accountid", U64(account)}, {"membername", value::string(name)}}),
              "memberid");
  }
  std::uint64_t AddDevice(std::uint64_t member, int number, int type) {
    return Id(Packet(RequestHeader::kAddDevice, {{"memberid", U64(member)},
                                                 {"devicenumber", value::number(number)},
                                                 {"devicetype", value::number(type)}}),
              "deviceid");
  }
  std::uint64_t AddBicycle(std::uint64_t member, const std::string& name, value weight, value crank,
                           value cassette, value tire) {
    return Id(Packet(RequestHeader::kAddBicycle, {{"memberid", U64(member)},
                                                  {"name", value::string(name)},
                                                  {"weight", weight},
                                                  {"crank", crank},
                                                  {"cassette", cassette},
                                                  {"tire", tire}}),
              "bicycleid");
  }
  Answered Toggle(RequestHeader header, std::uint64_t member, const char* key, std::uint64_t id) {
    return Ask(Packet(header, {{"memberid", U64(member)}, {key, U64(id)}}));
  }
  Answered Report(std::uint64_t account, std::uint64_t member, RankingType type, value score) {
    return Ask(
        Packet(RequestHeader::kReportScore, {{"rankingtype", value::number(RankingNumber(type))},
                                             {"memberid", U64(member)},
                                             {"membername", value::string("rider")},
                                             {"accountid", U64(account)},
                                             {"score", score}}));
  }
  // The "member" array of LoadMembers.
  value Members(std::uint64_t account) {
    const Answered answered =
        Ask(Packet(RequestHeader::kLoadMembers, {{"accountid", U64(account)}}));
    EXPECT_TRUE(answered.ok) << answered.reply.serialize();
    return answered.ok ? answered.reply.at("member") : value::array();
  }
  value Member(std::uint64_t account, std::uint64_t member) {
    const value members = Members(account);
    for (const value& m : members.as_array()) {
      if (m.at("id").as_number().to_uint64() == member) return m;
    }
    ADD_FAILURE() << "member " << member << " is not loaded";
    return value::null();
  }
  value Ranking(RankingType type) {
    const Answered answered = Ask(
        Packet(RequestHeader::kLoadRanking, {{"rankingtype", value::number(RankingNumber(type))}}));
    EXPECT_TRUE(answered.ok) << answered.reply.serialize();
    return answered.ok ? answered.reply.at("ranking") : value::array();
  }

 private:
  std::uint64_t Id(const value& request, const char* name) {
    const Answered answered = Ask(request);
    EXPECT_TRUE(answered.ok) << request.serialize() << " -> " << answered.reply.serialize();
    if (!answered.ok) return 0;
    const value& id = answered.reply.at(name);
    EXPECT_TRUE(id.is_integer() && id.as_number().is_uint64()) << answered.reply.serialize();
    return id.as_number().to_uint64();
  }

  RecordingMessageBox box_;
  RequestExecutor executor_;
};

}  // namespace vel::test
