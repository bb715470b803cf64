#pragma once

#include <cpprest/json.h>

#include <string>

namespace vel {

// GET of a JSON reply from any endpoint (the sign-in's token check).
class JsonFetcher {
 public:
  // What a fetch came to.
  enum class Answer {
    kJson,     // a status-200 JSON reply, whatever it holds
    kRefused,  // the endpoint answered, but with another status or no JSON
    kFailed,   // no answer: no connection, a broken transfer
  };

  virtual ~JsonFetcher() = default;
  // `pathAndQuery` is relative to `baseUrl`, built with web::uri_builder.
  virtual Answer FetchJsonAnswer(const std::string& baseUrl, const std::string& pathAndQuery,
                                 web::json::value& reply) = 0;
  // True for a status-200 JSON reply.
  bool FetchJson(const std::string& baseUrl, const std::string& pathAndQuery,
                 web::json::value& reply) {
    return FetchJsonAnswer(baseUrl, pathAndQuery, reply) == Answer::kJson;
  }
};

}  // namespace vel
