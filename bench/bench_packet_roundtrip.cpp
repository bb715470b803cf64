// Sealing and opening server packets in memory: a request through
// SealRequest and back through the server's OpenRequest, and a reply
// through SealReply and the program's OpenReply, at typical and largest
// sizes.
#include <benchmark/benchmark.h>
#include <cpprest/json.h>

#include <string>

#include "server/packet_envelope.h"
#include "server/request_catalogue.h"

namespace {

using web::json::value;

// A score report padded to `size` bytes of compact JSON text.
value Request(std::size_t size) {
  value request = value::object(true);
  request["header"] = value::number(vel::HeaderNumber(vel::RequestHeader::kReportScore));
  request["rankingtype"] = value::number(vel::RankingNumber(vel::RankingType::kSpeed));
  request["memberid"] = value::number(uint64_t{123456789});
  request["accountid"] = value::number(uint64_t{987654321});
  request["score"] = value::number(41.5);
  request["membername"] = value::string("");
  const std::size_t base = request.serialize().size();
  request["membername"] = value::string(std::string(size > base ? size - base : 0, 'm'));
  return request;
}

// A roster reply with `members` members of two devices each.
value Reply(int members) {
  value reply = value::object();
  reply["header"] = value::number(vel::HeaderNumber(vel::RequestHeader::kLoadMembers));
  reply["result"] = value::boolean(true);
  value list = value::array();
  for (int i = 0; i < members; ++i) {
    value member = value::object();
    member["id"] = value::number(i);
    member["name"] = value::string("rider " + std::to_string(i));
    member["height"] = value::number(178.5);
    member["weight"] = value::number(71.0);
    value devices = value::array();
    for (int d = 0; d < 2; ++d) {
      value device = value::object();
      device["id"] = value::number(i * 10 + d);
      device["active"] = value::boolean(true);
      device["number"] = value::number(3000 + i);
      device["type"] = value::number(d == 0 ? 120 : 121);
      devices[static_cast<std::size_t>(d)] = device;
    }
    member["device"] = devices;
    list[static_cast<std::size_t>(i)] = member;
  }
  reply["member"] = list;
  return reply;
}

void BM_RequestRoundTrip(benchmark::State& state) {
  const value request = Request(static_cast<std::size_t>(state.range(0)));
  value opened;
  for (auto _ : state) {
    const auto body = vel::SealRequest(request);
    vel::OpenRequest(*body, opened);
    benchmark::DoNotOptimize(opened);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_RequestRoundTrip)->Arg(200)->Arg(4095);

void BM_ReplyRoundTrip(benchmark::State& state) {
  const value reply = Reply(static_cast<int>(state.range(0)));
  const std::size_t text = reply.serialize().size();
  value opened;
  for (auto _ : state) {
    const auto body = vel::SealReply(reply);
    vel::OpenReply(*body, opened);
    benchmark::DoNotOptimize(opened);
  }
  state.counters["json_bytes"] = static_cast<double>(text);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text));
}
BENCHMARK(BM_ReplyRoundTrip)->Arg(10)->Arg(500);

}  // namespace

BENCHMARK_MAIN();
