#include "sign_in_pages.h"

#include <cpprest/base_uri.h>
#include <cpprest/json.h>

#include <exception>
#include <string>

#include "demo_seed.h"
#include "form_fields.h"
#include "server/wire_fields.h"

namespace vel::companion {
namespace {

using web::json::value;

constexpr char kDialogPath[] = "/dialog/oauth";
constexpr char kDebugTokenPath[] = "/debug_token";
constexpr std::size_t kMaxUserName = 64;

std::string HtmlEscape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c; break;
    }
  }
  return out;
}

// The path without a Graph API version prefix such as "/v2.8".
std::string_view Unversioned(std::string_view path) {
  if (path.size() < 3 || path[0] != '/' || path[1] != 'v') return path;
  const std::size_t end = path.find('/', 1);
  if (end == std::string_view::npos) return path;
  const std::string_view version = path.substr(2, end - 2);
  const std::size_t dot = version.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == version.size() ||
      version.find_first_not_of("0123456789.") != std::string_view::npos) {
    return path;
  }
  return path.substr(end);
}

HttpAnswer Html(int status, const std::string& title, const std::string& content) {
  HttpAnswer answer;
  answer.status = status;
  answer.contentType = "text/html; charset=utf-8";
  answer.body = "<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\"><title>" +
                HtmlEscape(title) +
                "</title><style>body{font-family:sans-serif;margin:2em}"
                "input{font-size:1.1em;margin:.3em 0}</style></head>\n<body>\n<h1>" +
                HtmlEscape(title) + "</h1>\n" + content + "\n</body></html>\n";
  return answer;
}

// Why a redirect address may not be used, or empty when it may: it must
// be an http(s) address of a login-success page, without a fragment.
// The port an address names, or its scheme's.
int PortOf(const web::uri& uri) {
  if (uri.port() > 0) return uri.port();
  return uri.scheme() == "https" ? 443 : 80;
}

bool SameSite(const web::uri& a, const web::uri& b) {
  return a.scheme() == b.scheme() && web::uri::decode(a.host()) == web::uri::decode(b.host()) &&
         PortOf(a) == PortOf(b);
}

std::string Field(const Query& query, const char* name) {
  const auto found = query.find(name);
  return found == query.end() ? std::string() : found->second;
}

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

HttpAnswer GraphError(const std::string& message) {
  value error = value::object(true);
  error["message"] = value::string(message);
  error["type"] = value::string("OAuthException");
  error["code"] = value::number(190);
  value body = value::object(true);
  body["error"] = error;
  return HttpAnswer{400, "application/json", body.serialize(), {}, {}};
}

}  // namespace

std::string SignInPages::RedirectProblem(const std::string& redirect) const {
  if (redirect.empty()) return "redirect_uri is missing";
  try {
    const web::uri uri(redirect);
    if ((uri.scheme() != "http" && uri.scheme() != "https") || uri.host().empty() ||
        uri.path() != kLoginSuccessPath || !uri.fragment().empty()) {
      return "redirect_uri is not a login-success page";
    }
    if (!SameSite(uri, web::uri(site_.url))) {
      return "redirect_uri is not this sign-in's login-success page";
    }
  } catch (const std::exception&) {
    return "redirect_uri is not an address";
  }
  return {};
}

HttpAnswer SignInPages::Answer(std::string_view method, std::string_view path, const Query& query,
                               std::string_view body) const {
  const std::string_view page = Unversioned(path);
  if (page == kDialogPath && method == "GET") {
    std::string problem;
    if (Field(query, wire_field::kResponseType) != "token") problem = "response_type must be token";
    if (problem.empty()) problem = RedirectProblem(Field(query, wire_field::kRedirectUri));
    return DialogPage(query, problem, problem.empty() ? 200 : 400);
  }
  if (page == kDialogPath && method == "POST") return SignIn(body);
  if (page == kDebugTokenPath && method == "GET") return DebugToken(query);
  if (path == kLoginSuccessPath && method == "GET") {
    return Html(200, "로그인 되었습니다", "<p>Success. 이 창은 곧 닫힙니다.</p>");
  }
  return Html(404, "Not found", "<p>No such page.</p>");
}

HttpAnswer SignInPages::DialogPage(const Query& query, const std::string& problem,
                                   int status) const {
  if (status != 200) {
    return Html(status, "로그인할 수 없습니다", "<p>" + HtmlEscape(problem) + "</p>");
  }
  const auto hidden = [&query](const char* name) {
    return std::string("<input type=\"hidden\" name=\"") + name + "\" value=\"" +
           HtmlEscape(Field(query, name)) + "\">\n";
  };
  return Html(200, "VEL 개발용 로그인",
              "<p>사용자 이름을 입력하세요. 같은 이름은 언제나 같은 계정입니다.</p>\n"
              "<form method=\"post\">\n" +
                  hidden(wire_field::kClientId) + hidden(wire_field::kRedirectUri) +
                  hidden(wire_field::kResponseType) +
                  "<input type=\"text\" name=\"name\" autofocus maxlength=\"64\" "
                  "placeholder=\"demo\"" +
                  (site_.demo ? " value=\"" + std::string(kDemoUser) + "\"" : std::string()) +
                  ">\n<input type=\"submit\" value=\"로그인\">\n</form>");
}

HttpAnswer SignInPages::SignIn(std::string_view body) const {
  Query fields;
  for (const char* name :
       {wire_field::kClientId, wire_field::kRedirectUri, wire_field::kResponseType, "name"}) {
    fields[name] = FormValue(body, name, PlusSign::kSpace).value_or("");
  }
  if (const std::string problem = RedirectProblem(fields[wire_field::kRedirectUri]);
      !problem.empty()) {
    return Html(400, "로그인할 수 없습니다", "<p>" + HtmlEscape(problem) + "</p>");
  }
  const std::string name = Trimmed(fields["name"]);
  if (name.empty() || name.size() > kMaxUserName) {
    HttpAnswer page = DialogPage(fields, {}, 200);
    page.status = 400;
    return page;
  }
  const IssuedToken issued = tokens_.IssueUserToken(name, fields[wire_field::kClientId]);
  HttpAnswer answer = Html(302, "로그인", "<p>Redirecting.</p>");
  answer.location = fields[wire_field::kRedirectUri] + "#" + wire_field::kAccessToken + "=" +
                    issued.token + "&expires_in=" + std::to_string(issued.expiresIn);
  return answer;
}

HttpAnswer SignInPages::DebugToken(const Query& query) const {
  const auto app = tokens_.Find(Field(query, wire_field::kAccessToken));
  if (!app || app->user) return GraphError("Invalid OAuth access token.");
  const auto token = tokens_.Find(Field(query, wire_field::kInputToken));
  if (!token || !token->user) {
    return GraphError("Invalid OAuth access token (unknown or expired).");
  }
  value data = value::object(true);
  data["app_id"] = value::string(token->appId);
  data["type"] = value::string("USER");
  data["application"] = value::string("VEL development sign-in");
  data["expires_at"] = value::number(token->expiresAt);
  data["is_valid"] = value::boolean(true);
  data["issued_at"] = value::number(token->issuedAt);
  value scopes = value::array();
  scopes[0] = value::string("public_profile");
  data["scopes"] = scopes;
  data[wire_field::kUserId] = value::string(token->userId);
  value body = value::object(true);
  body[wire_field::kData] = data;
  return HttpAnswer{200, "application/json", body.serialize(), {}, {}};
}

}  // namespace vel::companion
