#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app_request_handler.h"

namespace vel::companion {

// What the application server answers to one POST body, and what the log
// says about it.
struct AppAnswer {
  int status = 200;  // 400 only when the reply cannot be sealed at all
  std::string body;  // {"packet": ...}, application/json
  std::optional<int> header;
  bool result = false;
  int errcode = 0;
};

// The application server's side of the envelope: the form body's "packet"
// field (read literally, "+" is a plus sign; other fields are ignored) is
// opened, answered by the handler, and the reply sealed. Whatever the body
// holds, the answer is a sealed reply: a body that cannot be read gets
// "result" false with the errcode of what was wrong.
class AppEndpoint {
 public:
  // A request holds at most 4096 bytes of ciphertext; room is left for
  // other form fields, but not for megabytes.
  static constexpr std::size_t kMaxBody = 64 * 1024;

  explicit AppEndpoint(const AppRequestHandler& handler) : handler_(handler) {}

  // Opens, answers and seals in one go.
  AppAnswer Answer(std::string_view body) const;

  // The two halves of Answer, for a server that answers changes elsewhere:
  // the request a body holds, or, when it holds none that can be read, the
  // reply refusing it.
  struct Opened {
    std::optional<web::json::value> request;
    web::json::value refusal;
  };
  static Opened Open(std::string_view body);
  static AppAnswer Seal(const web::json::value& reply);

  const AppRequestHandler& handler_;
};

}  // namespace vel::companion
