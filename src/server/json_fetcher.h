#pragma once

#include <cpprest/json.h>

#include <string>

namespace vel {

// GET of a JSON reply from any endpoint (the sign-in's token check). True
// when a status-200 JSON reply came back, whatever it holds.
class JsonFetcher {
 public:
  virtual ~JsonFetcher() = default;
  // `pathAndQuery` is relative to `baseUrl`, built with web::uri_builder.
  virtual bool FetchJson(const std::string& baseUrl, const std::string& pathAndQuery,
                         web::json::value& reply) = 0;
};

}  // namespace vel
