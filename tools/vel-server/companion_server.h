#pragma once

#include <cpprest/http_listener.h>
#include <cpprest/json.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "http_answer.h"
#include "request_log.h"
#include "server_options.h"
#include "worker_pool.h"

namespace vel::companion {

// The companion server in one object: the application server, the patch
// server and the development sign-in, each on its own HTTP listener in
// front of CompanionServices (one database). The HTTP library's threads
// take requests in; a few threads of the server's own answer them: the
// requests that only read beside each other, those that may change the
// database through one writer that commits them in groups
// (GroupCommitWriter).
class CompanionServer {
 public:
  CompanionServer(ServerOptions options, RequestLog::Sink log);
  ~CompanionServer();
  CompanionServer(const CompanionServer&) = delete;
  CompanionServer& operator=(const CompanionServer&) = delete;

  // Opens the database (made or brought up to date on the way), seeds the
  // demo team when asked, creates the patch folder when it is missing, and
  // opens the three listeners. With importFrom set it first copies that
  // SQLite database into the empty PostgreSQL one (and logs what it
  // copied). Throws std::runtime_error saying what failed; nothing is left
  // running then.
  void Start();
  // Closes the listeners, waits up to kStopWaitMs for requests in flight to
  // be answered, ends the workers and closes the database. Does nothing when
  // not running.
  void Stop();
  bool Running() const { return !listeners_.empty(); }

  static constexpr int kStopWaitMs = 10000;

  // "http://HOST:PORT" of each listener.
  std::string AppUrl() const;
  std::string PatchUrl() const;
  std::string SignInUrl() const;
  const ServerOptions& Options() const { return options_; }

 private:
  struct Shared;
  enum class Listener { kApp, kPatch, kSignIn };
  // Logs and sends the answer: what the log names, the result it gives.
  using Finish = std::function<void(const std::string& what, const std::string& result,
                                    const HttpAnswer& answer)>;

  // On the HTTP library's thread: reads the body and hands the request to
  // the workers.
  static void Serve(const std::shared_ptr<Shared>& shared,
                    const std::shared_ptr<WorkerPool>& workers, Listener which,
                    web::http::http_request request);
  // On a worker.
  static void Respond(Shared& shared, Listener which, const web::http::http_request& request,
                      const std::string& body, const Finish& finish);
  // The copy of options_.importFrom into options_.database.
  void Import();
  // Seals an application server's reply and sends it.
  static void AnswerApp(const Finish& finish, const web::json::value& reply);
  // Hands a request that may change the database to the writer, which
  // answers it once its group is committed; on PostgreSQL answers it here,
  // committed on its own.
  static void AnswerChange(Shared& shared, web::json::value request, const Finish& finish);

  const ServerOptions options_;
  std::shared_ptr<RequestLog> log_;
  std::shared_ptr<Shared> shared_;
  std::shared_ptr<WorkerPool> workers_;
  std::vector<std::unique_ptr<web::http::experimental::listener::http_listener>> listeners_;
};

}  // namespace vel::companion
