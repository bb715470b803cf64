#include "load_run.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/message_box.h"
#include "crash/thread_signal_stack.h"
#include "sensors/sensor_kinds.h"
#include "server/request_catalogue.h"
#include "server/request_executor.h"
#include "server/server_config.h"
#include "server/wire_fields.h"
#include "socket_packet_sender.h"
#include "vel-server/token_store.h"

namespace vel {
namespace {

using web::json::value;
using Clock = std::chrono::steady_clock;

class CountingMessageBox : public MessageBox {
 public:
  void Show(const std::string&) override { ++shown_; }
  long Shown() const { return shown_; }

 private:
  long shown_ = 0;
};

value Packet(RequestHeader header) {
  value request = value::object(true);
  request[wire_field::kHeader] = value::number(HeaderNumber(header));
  return request;
}

// What the clients share: the count of acknowledged changes, and the kill.
class KillPoint {
 public:
  KillPoint(long killAfter, const ServerKill* kill) : killAfter_(killAfter), kill_(kill) {}

  // After each acknowledged change: the one that makes the count kills.
  void Acknowledged() {
    const long count = ++acknowledged_;
    if (kill_ != nullptr && count == killAfter_) Kill();
  }
  // Kills the server unless done already.
  void Kill() {
    std::call_once(once_, [this] {
      killedAfter_ = acknowledged_.load();
      kill_->kill();
      killed_ = true;
    });
  }
  bool Killed() const { return killed_; }
  long AcknowledgedCount() const { return acknowledged_; }
  long KilledAfter() const { return killedAfter_; }

 private:
  const long killAfter_;
  const ServerKill* kill_;
  std::atomic<long> acknowledged_{0};
  std::atomic<bool> killed_{false};
  std::once_flag once_;
  long killedAfter_ = 0;
};

// One client: its account, what the server acknowledged, its timings.
class LoadClient {
 public:
  // `stopsAtKill`: its server is the one killed.
  LoadClient(const std::string& url, int index, int requests, bool socket, KillPoint& killPoint,
             bool stopsAtKill)
      : sender_(socket
                    ? std::unique_ptr<PacketSender>(std::make_unique<SocketPacketSender>(url, box_))
                    : std::make_unique<RequestExecutor>(Config(url), box_)),
        index_(index),
        requests_(requests),
        random_(index),
        killPoint_(killPoint),
        stopsAtKill_(stopsAtKill) {}

  void Run() {
    const std::string userId = companion::SignInUserId(
        "vel-server-load " + std::to_string(Clock::now().time_since_epoch().count()) + " " +
        std::to_string(index_));
    value request = Packet(RequestHeader::kSignIn);
    request[wire_field::kAccountType] = value::string(wire_field::kFacebookAccount);
    request[wire_field::kAccount] = value::string(userId);
    value reply;
    if (!Change(request, reply)) {
      if (Stopped()) return;
      throw std::runtime_error("header 0 was refused");
    }
    account_ = reply.at(wire_field::kAccountId).as_number().to_uint64();
    for (int i = 1; i < requests_ && !Stopped(); ++i) Step(i);
  }

  bool StopsAtKill() const { return stopsAtKill_; }

  // Acknowledged members, devices and bests.
  long Acknowledged() const {
    return static_cast<long>(members_.size() + devices_.size() + bests_.size());
  }

  // Acknowledged things missing from a LoadMembers at `url`.
  long Check(const std::string& url, std::string& firstLoss) const {
    if (account_ == 0) return 0;
    CountingMessageBox box;
    RequestExecutor executor(Config(url), box);
    value request = Packet(RequestHeader::kLoadMembers);
    request[wire_field::kAccountId] = value::number(account_);
    value reply;
    if (!executor.SendPacket(request, reply)) {
      firstLoss = "LoadMembers failed";
      return 1;
    }
    std::map<std::uint64_t, const value*> loaded;
    for (const value& member : reply.at(wire_field::kMembers).as_array()) {
      loaded[member.at(wire_field::kId).as_number().to_uint64()] = &member;
    }
    long lost = 0;
    const auto loss = [&](const std::string& what) {
      if (lost++ == 0) firstLoss = what;
    };
    for (const std::uint64_t member : members_) {
      if (loaded.count(member) == 0) loss("member " + std::to_string(member));
    }
    for (const auto& [device, member] : devices_) {
      const auto found = loaded.find(member);
      bool present = false;
      if (found != loaded.end() && !found->second->at(wire_field::kDevices).is_null()) {
        for (const value& d : found->second->at(wire_field::kDevices).as_array()) {
          present = present || d.at(wire_field::kId).as_number().to_uint64() == device;
        }
      }
      if (!present) loss("device " + std::to_string(device));
    }
    static const char* kScoreKeys[] = {wire_field::kBestSpeed, wire_field::kBestCadence,
                                       wire_field::kBestHeartRate};
    // A report that went unanswered may have raised a best further.
    const bool unanswered = Broken() > 0;
    for (const auto& [key, best] : bests_) {
      const auto found = loaded.find(key.first);
      const char* name = kScoreKeys[RankingNumber(key.second)];
      const bool kept =
          found != loaded.end() && !found->second->at(wire_field::kScore).is_null() &&
          (unanswered ? found->second->at(wire_field::kScore).at(name).as_double() >= best
                      : found->second->at(wire_field::kScore).at(name).as_double() == best);
      if (!kept) {
        loss("best " + std::string(name) + " of member " + std::to_string(key.first));
      }
    }
    return lost;
  }

  const std::vector<double>& LatenciesMs() const { return latencies_; }
  long Refused() const { return refused_; }
  long Broken() const { return box_.Shown(); }
  long Sent() const { return static_cast<long>(latencies_.size()); }

 private:
  bool Stopped() const { return stopsAtKill_ && killPoint_.Killed(); }

  static ServerConfig Config(const std::string& url) {
    Endpoints endpoints;
    endpoints.mainUrl = url;
    return ServerConfig::BuiltIn(endpoints);
  }

  bool Send(const value& request, value& reply) {
    const long broken = box_.Shown();
    const auto start = Clock::now();
    const bool ok = sender_->SendPacket(request, reply);
    latencies_.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!ok && box_.Shown() == broken) ++refused_;
    return ok;
  }

  // A request that changes something; counted when acknowledged.
  bool Change(const value& request, value& reply) {
    const bool ok = Send(request, reply);
    if (ok) killPoint_.Acknowledged();
    return ok;
  }

  template <typename T>
  T Pick(const std::vector<T>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random_)];
  }

  void Step(int i) {
    value reply;
    const int kind = members_.empty() ? 0 : i % 5;
    if (kind == 0) {
      value request = Packet(RequestHeader::kAddMember);
      request[wire_field::kAccountId] = value::number(account_);
      request[wire_field::kMemberName] = value::string("load" + std::to_string(i));
      if (Change(request, reply))
        members_.push_back(reply.at(wire_field::kMemberId).as_number().to_uint64());
    } else if (kind == 1 || (kind == 2 && devices_.empty())) {
      const std::uint64_t member = Pick(members_);
      value request = Packet(RequestHeader::kAddDevice);
      request[wire_field::kMemberId] = value::number(member);
      request[wire_field::kDeviceNumber] = value::number(i);
      request[wire_field::kDeviceType] =
          value::number(kSensorKinds[i % kSensorKinds.size()].deviceType);
      if (Change(request, reply)) {
        devices_.emplace_back(reply.at(wire_field::kDeviceId).as_number().to_uint64(), member);
      }
    } else if (kind == 2) {
      const auto [device, member] = Pick(devices_);
      value request = Packet(RequestHeader::kActivateDevice);
      request[wire_field::kMemberId] = value::number(member);
      request[wire_field::kDeviceId] = value::number(device);
      Change(request, reply);
    } else if (kind == 3) {
      const std::uint64_t member = Pick(members_);
      const auto type = static_cast<RankingType>(i % kRankingTypes);
      const bool speed = type == RankingType::kSpeed;
      const double score = speed ? 20 + (i % 400) / 10.0 : 80 + i % 120;
      value request = Packet(RequestHeader::kReportScore);
      request[wire_field::kRankingType] = value::number(RankingNumber(type));
      request[wire_field::kMemberId] = value::number(member);
      request[wire_field::kMemberName] = value::string("load");
      request[wire_field::kAccountId] = value::number(account_);
      request[wire_field::kScore] =
          speed ? value::number(score) : value::number(static_cast<int>(score));
      if (Change(request, reply)) {
        double& best = bests_[{member, type}];
        best = std::max(best, score);
      }
    } else {
      value request = Packet(RequestHeader::kLoadMembers);
      request[wire_field::kAccountId] = value::number(account_);
      Send(request, reply);
    }
  }

  CountingMessageBox box_;
  std::unique_ptr<PacketSender> sender_;
  const int index_;
  const int requests_;
  std::mt19937 random_;
  KillPoint& killPoint_;
  const bool stopsAtKill_;
  std::uint64_t account_ = 0;
  std::vector<std::uint64_t> members_;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> devices_;  // (device, member)
  std::map<std::pair<std::uint64_t, RankingType>, double> bests_;
  std::vector<double> latencies_;
  long refused_ = 0;
};

double Percentile(std::vector<double>& values, double fraction) {
  if (values.empty()) return 0;
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

}  // namespace

LoadResult RunLoad(const LoadOptions& options, const std::vector<std::string>& urls,
                   const ServerKill* kill) {
  if (urls.empty()) throw std::invalid_argument("no server to load");
  KillPoint killPoint(options.killAfter, kill);
  std::vector<std::unique_ptr<LoadClient>> clients;
  for (int i = 0; i < options.clients; ++i) {
    const std::size_t server = static_cast<std::size_t>(i) % urls.size();
    const bool stopsAtKill = kill != nullptr && (server == 0 || !kill->othersServeOn);
    clients.push_back(std::make_unique<LoadClient>(urls[server], i, options.requests,
                                                   options.socketClients, killPoint, stopsAtKill));
  }
  std::mutex failureMutex;
  std::string failure;
  const auto start = Clock::now();
  std::vector<std::thread> threads;
  for (auto& client : clients) {
    threads.emplace_back([&client, &failureMutex, &failure] {
      InstallThreadSignalStack();
      try {
        client->Run();
      } catch (const std::exception& error) {
        std::lock_guard lock(failureMutex);
        failure = error.what();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  LoadResult result;
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!failure.empty()) throw std::runtime_error(failure);

  std::string checkUrl = urls.front();
  if (kill != nullptr) {
    killPoint.Kill();
    checkUrl = kill->restart();
    result.killedAfter = killPoint.KilledAfter();
  }
  result.acknowledged = killPoint.AcknowledgedCount();
  std::vector<double> latencies;
  for (auto& client : clients) {
    result.requests += client->Sent();
    result.refused += client->Refused();
    result.broken += client->Broken();
    if (!client->StopsAtKill()) result.brokenElsewhere += client->Broken();
    latencies.insert(latencies.end(), client->LatenciesMs().begin(), client->LatenciesMs().end());
    result.checked += client->Acknowledged();
    std::string loss;
    const long lost = client->Check(checkUrl, loss);
    if (lost > 0 && result.firstLoss.empty()) result.firstLoss = loss;
    result.lost += lost;
  }
  result.p50Ms = Percentile(latencies, 0.50);
  result.p99Ms = Percentile(latencies, 0.99);
  return result;
}

}  // namespace vel
