#pragma once

#include <string>
#include <string_view>

#include "http_answer.h"
#include "token_store.h"

namespace vel::companion {

// The development sign-in: it stands in for Facebook's web pages and Graph
// API on loopback, so the program's browser sign-in runs without the
// Internet. Anyone may sign in under any user name; the same name always
// gets the same user id.
//
//  GET  /v2.8/dialog/oauth     a page with a form for the user name (query
//                              client_id, redirect_uri, response_type=token)
//  POST /v2.8/dialog/oauth     issues a token and redirects (302) to
//                              redirect_uri#access_token=...&expires_in=...
//  GET  /connect/login_success.html   the page the browser lands on
//  GET  /v2.8/debug_token      {"data": {... "user_id", "is_valid"}} for a
//                              token issued here, checked with the
//                              application's token (query input_token,
//                              access_token); 400 with error code 190 else
//
// Any "/vN.N" version prefix is taken like "/v2.8". The redirect must go to
// the login-success page of the sign-in's own site, so a token is never
// handed to another address.
class SignInPages {
 public:
  static constexpr char kLoginSuccessPath[] = "/connect/login_success.html";

  // Where the sign-in is served and how its form greets a user.
  struct Site {
    std::string url;    // "http://HOST:PORT" of the sign-in listener
    bool demo = false;  // the form offers the demo team's user name
  };

  SignInPages(TokenStore& tokens, Site site) : tokens_(tokens), site_(std::move(site)) {}

  HttpAnswer Answer(std::string_view method, std::string_view path, const Query& query,
                    std::string_view body) const;

 private:
  HttpAnswer DialogPage(const Query& query, const std::string& problem, int status) const;
  HttpAnswer SignIn(std::string_view body) const;
  HttpAnswer DebugToken(const Query& query) const;

  // Empty when `redirect` is this site's login-success page.
  std::string RedirectProblem(const std::string& redirect) const;

  TokenStore& tokens_;
  Site site_;
};

}  // namespace vel::companion
