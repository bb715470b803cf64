#pragma once

#include <cpprest/json.h>

#include <string>

#include "request_fields.h"
#include "session_store.h"
#include "team_store.h"
#include "token_store.h"

namespace vel::companion {

// The application server's answer to one opened request: every header of
// the program's catalogue (RequestHeader), each answered by its own row of
// a table. Every reply carries "header" (the request's, or null when it has
// none) and "result"; a refusal adds "errcode" (vel::errcode) and a
// "message" for people reading the traffic. Numbers have the kinds the
// program reads (roster_json.h).
class AppRequestHandler {
 public:
  // With `sessions` the server is strict: header 0 must carry the user's
  // sign-in token and its reply carries a session key, and every later
  // request (but header -1) must carry the key of the account that owns
  // the account and the member it names, else errcode kUnknownAccount.
  // Without, requests are answered as they come.
  AppRequestHandler(TeamStore& store, TokenStore& tokens, SessionStore* sessions = nullptr)
      : store_(store), tokens_(tokens), sessions_(sessions) {}

  web::json::value Handle(const web::json::value& request) const;
  // Whether answering the request may change the database (false for the
  // requests that only read it, and for those Handle refuses unread).
  static bool Changes(const web::json::value& request);

  // The reply to a request that could not be read at all.
  static web::json::value Refusal(const web::json::value& header, int errcode,
                                  const std::string& message);

 private:
  // Whether a strict server may answer the request (see the constructor).
  bool Authorized(const RequestFields& fields) const;

  TeamStore& store_;
  TokenStore& tokens_;
  SessionStore* const sessions_;
};

}  // namespace vel::companion
