#include "server/request_executor.h"

#include <cpprest/filestream.h>
#include <cpprest/uri_builder.h>

#include <exception>
#include <stdexcept>
#include <system_error>

#include "common/queues.h"
#include "common/string_printf.h"
#include "crash/thread_signal_stack.h"
#include "server/packet_envelope.h"
#include "server/wire_fields.h"

namespace vel {
namespace {

using web::http::http_request;
using web::http::http_response;
using web::http::methods;
using web::http::status_codes;
using web::http::client::http_client;

// The application server has always been sent the form type followed by
// the charset; the byte-vector body below adds nothing, so both are named.
constexpr char kFormContentType[] = "application/x-www-form-urlencoded; charset=utf-8";

// A reply body longer than its limit.
class BodyTooLarge : public std::runtime_error {
 public:
  explicit BodyTooLarge(std::uint64_t limit)
      : std::runtime_error(StringPrintf("the reply is longer than %llu bytes",
                                        static_cast<unsigned long long>(limit))) {}
};

// Lets `request` receive a reply body of at most `limit` bytes. The library
// reports the bytes received so far after each part it reads and before
// the body counts as complete, so a longer body fails with BodyTooLarge
// before anything of it is decoded, and no more than one part of it beyond
// the limit is ever held.
void LimitReplyBody(http_request& request, std::uint64_t limit) {
  request.set_progress_handler(
      [limit](web::http::message_direction::direction direction, utility::size64_t received) {
        if (direction == web::http::message_direction::download && received > limit) {
          throw BodyTooLarge(limit);
        }
      });
}

// A "result" that is missing, null or anything but a boolean counts as no.
bool ResultIsTrue(const web::json::value& reply) {
  if (!reply.is_object() || !reply.has_boolean_field(wire_field::kResult)) return false;
  return reply.at(wire_field::kResult).as_bool();
}

// Reads the body of a status-200 reply as JSON, with the library's
// content-type check on (a non-JSON type throws); any other status gives
// false unread.
pplx::task<bool> ReadJsonOf200(const http_response& response, web::json::value& body) {
  // Runs on a thread of the HTTP library's pool, which the crash dump
  // writer must be able to serve as well as the program's own threads.
  InstallThreadSignalStack();
  if (response.status_code() != status_codes::OK) return pplx::task_from_result(false);
  return response.extract_json().then([&body](web::json::value json) {
    body = std::move(json);
    return true;
  });
}

}  // namespace

RequestExecutor::RequestExecutor(ServerConfig config, MessageBox& messageBox)
    : config_(std::move(config)), messageBox_(messageBox) {}

RequestExecutor::~RequestExecutor() = default;

http_client& RequestExecutor::MainClient() {
  // A throwing constructor (a malformed address) leaves the flag unset, so
  // the next call tries again.
  std::call_once(mainOnce_, [this] {
    main_ = std::make_unique<http_client>(config_.MainUrl());
    ++mainClientsMade_;
  });
  return *main_;
}

bool RequestExecutor::SendPacket(const web::json::value& request, web::json::value& reply) {
  const auto body = SealRequest(request);
  if (!body) return false;
  bool opened = false;
  try {
    http_request post(methods::POST);
    LimitReplyBody(post, kMaxPacketReplyBytes);
    // The byte-vector body: the library's text overloads hand a char buffer
    // on as an unsigned-char one, which the sanitizers rightly reject.
    post.set_body(std::vector<unsigned char>(body->begin(), body->end()));
    post.headers().set_content_type(kFormContentType);
    // The continuation on the library's thread only reads the body; the
    // packet is opened here, on the waiting thread, so that OpenSSL keeps no
    // per-thread state on the library's threads, which outlive OpenSSL's own
    // clean-up at exit.
    web::json::value envelope;
    const bool answered = MainClient()
                              .request(post)
                              .then([&envelope](const http_response& response) {
                                return ReadJsonOf200(response, envelope);
                              })
                              .get();
    opened = answered && OpenReply(envelope, reply);
  } catch (const std::exception&) {
    messageBox_.Show(kCheckConnectionMessage);
    return false;
  }
  return opened && ResultIsTrue(reply);
}

JsonFetcher::Answer RequestExecutor::GetJson(const std::string& baseUrl,
                                             const std::string& pathAndQuery,
                                             web::json::value& reply) {
  try {
    http_client client(baseUrl);
    http_request get(methods::GET);
    get.set_request_uri(pathAndQuery);
    LimitReplyBody(get, kMaxReplyBytes);
    web::json::value body;
    const bool answered =
        client.request(get)
            .then([&body](const http_response& response) { return ReadJsonOf200(response, body); })
            .get();
    // No content type or an empty body extracts as null: that is not a
    // JSON reply.
    if (!answered || body.is_null()) return Answer::kRefused;
    reply = std::move(body);
    return Answer::kJson;
  } catch (const std::exception&) {
    messageBox_.Show(kCheckConnectionMessage);
    return Answer::kFailed;
  }
}

bool RequestExecutor::FetchPatchInfo(const std::string& pathAndQuery, web::json::value& reply) {
  return GetJson(config_.PatchUrl(), pathAndQuery, reply) == Answer::kJson && ResultIsTrue(reply);
}

JsonFetcher::Answer RequestExecutor::FetchJsonAnswer(const std::string& baseUrl,
                                                     const std::string& pathAndQuery,
                                                     web::json::value& reply) {
  return GetJson(baseUrl, pathAndQuery, reply);
}

bool RequestExecutor::DownloadPatchFile(const std::string& file, const std::filesystem::path& local,
                                        std::uint64_t maxBytes) {
  namespace streams = concurrency::streams;
  // The body goes straight to the file as it arrives, never whole into
  // memory.
  streams::ostream out;
  try {
    out = streams::fstream::open_ostream(local.string(),
                                         std::ios::out | std::ios::trunc | std::ios::binary)
              .get();
  } catch (const std::exception&) {
    PushLog("Update: cannot write " + local.string());
    return false;
  }
  bool written = false;
  try {
    http_client client(config_.PatchUrl());
    web::uri_builder path("/test");
    path.append_query(wire_field::kFile, file);
    http_request get(methods::GET);
    get.set_request_uri(path.to_string());
    get.set_response_stream(out);
    LimitReplyBody(get, maxBytes);
    const http_response response = client.request(get).get();
    response.content_ready().get();
    written = response.status_code() == status_codes::OK;
  } catch (const BodyTooLarge& tooLarge) {
    PushLog("Update: download of \"" + file + "\" refused: " + tooLarge.what());
  } catch (const std::exception&) {
    messageBox_.Show(kCheckConnectionMessage);
  }
  try {
    out.close().get();
  } catch (const std::exception&) {
    written = false;
  }
  // A partial archive is worse than none: the unpacking skips missing files.
  std::error_code ignored;
  if (!written) std::filesystem::remove(local, ignored);
  return written;
}

}  // namespace vel
