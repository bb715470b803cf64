#include "companion_server.h"

#include <cpprest/containerstream.h>
#include <cpprest/filestream.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "companion_services.h"
#include "demo_seed.h"
#include "form_fields.h"
#include "group_commit_writer.h"
#include "schema_migrations.h"
#include "server/request_catalogue.h"
#include "server/wire_fields.h"
#include "store_import.h"
#include "worker_pool.h"

namespace vel::companion {
namespace {

using web::http::http_request;
using web::http::http_response;
using web::http::experimental::listener::http_listener;

// Bodies beyond this are refused (413) and not read further, whether their
// length is announced or they come in chunks; a sealed request is a few
// kilobytes, a sign-in form less.
constexpr std::uint64_t kMaxReadBody = 1024 * 1024;
constexpr std::uint64_t kFirstPart = 4 * 1024;
constexpr std::uint64_t kReadPart = 64 * 1024;

// Opening and sealing packets and the reads run side by side, a worker for
// each core (at least two, so that a long read never holds up the rest);
// changes go on to the one writer. More workers than cores only add thread
// switches.
// A shared database's answers wait on its server, so there are more
// workers for it: one waiting is one fewer request in flight.
int WorkerCount(bool embedded) {
  const unsigned cores = std::max(2U, std::thread::hardware_concurrency());
  return static_cast<int>(embedded ? cores : 4 * cores);
}

std::string UrlOf(const std::string& address) {
  const auto url = ListenUrl(address);
  if (!url) throw std::runtime_error("not an address to listen on: " + address);
  return *url;
}

// Keeps a log line on one line whatever a client put into its address.
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

using Body = std::optional<std::string>;
// Bytes, as the body stream holds them: a buffer of another character type
// would be cast to, not converted.
using BodyBuffer = concurrency::streams::container_buffer<std::vector<std::uint8_t>>;

// Reads on from `body` into `into`, `read` bytes so far, until the end
// (the body) or until more than `limit` bytes have come (none). The buffer
// may hold more than was read: it grows (zero-filled) by what each read
// asks for, so a read asks for the rest of an announced length and one
// byte more, to see the end, or for as much as came so far, within parts of
// 4 to 64 KiB.
pplx::task<Body> ReadOn(concurrency::streams::istream body, std::shared_ptr<BodyBuffer> into,
                        std::uint64_t read, std::uint64_t announced, std::uint64_t limit) {
  const std::uint64_t rest =
      announced > read ? announced - read + 1 : std::clamp(read, kFirstPart, kReadPart);
  const std::uint64_t wanted = std::min({rest, kReadPart, limit + 1 - read});
  return body.read(*into, static_cast<std::size_t>(wanted))
      .then([body, into, read, announced, limit](std::size_t got) -> pplx::task<Body> {
        const std::vector<std::uint8_t>& bytes = into->collection();
        if (got == 0) {
          return pplx::task_from_result<Body>(
              std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(read)));
        }
        if (read + got > limit) return pplx::task_from_result<Body>(std::nullopt);
        return ReadOn(body, into, read + got, announced, limit);
      });
}

// A request's body as it arrives, at most `limit` bytes of it.
pplx::task<Body> ReadBody(const http_request& request, std::uint64_t limit) {
  return ReadOn(request.body(), std::make_shared<BodyBuffer>(), 0,
                request.headers().content_length(), limit);
}

}  // namespace

// What the listeners' callbacks share: the log, the services that answer,
// and the count of requests not answered yet.
struct CompanionServer::Shared {
  Shared(const ServerOptions& options, std::shared_ptr<RequestLog> requestLog)
      : log(std::move(requestLog)),
        services(options.database, options.patches,
                 SignInPages::Site{UrlOf(options.signInAddress), options.demo}, options.strict),
        writer(services.database->Embedded() != nullptr
                   ? std::make_unique<GroupCommitWriter>(*services.database->Embedded(),
                                                         options.queueLimit)
                   : nullptr) {}

  // Counts a request in flight from its arrival until the last copy of the
  // token, held by each of its callbacks, is gone.
  static std::shared_ptr<const void> Admit(const std::shared_ptr<Shared>& shared) {
    {
      std::lock_guard lock(shared->mutex);
      ++shared->inFlight;
    }
    return std::shared_ptr<const void>(nullptr, [shared](const void*) {
      std::lock_guard lock(shared->mutex);
      if (--shared->inFlight == 0) shared->idle.notify_all();
    });
  }

  bool WaitIdle(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex);
    return idle.wait_for(lock, limit, [this] { return inFlight == 0; });
  }

  std::shared_ptr<RequestLog> log;
  CompanionServices services;
  // On SQLite every request that may change the database is answered
  // here, in groups; the workers answer the rest beside it. Null on
  // PostgreSQL, where the workers answer changes too, each committed on
  // its own connection (PgStoreDatabase).
  std::unique_ptr<GroupCommitWriter> writer;

  std::mutex mutex;
  std::condition_variable idle;
  int inFlight = 0;
};

CompanionServer::CompanionServer(ServerOptions options, RequestLog::Sink log)
    : options_(std::move(options)), log_(std::make_shared<RequestLog>(std::move(log))) {}

CompanionServer::~CompanionServer() { Stop(); }

std::string CompanionServer::AppUrl() const { return UrlOf(options_.appAddress); }
std::string CompanionServer::PatchUrl() const { return UrlOf(options_.patchAddress); }
std::string CompanionServer::SignInUrl() const { return UrlOf(options_.signInAddress); }

void CompanionServer::Start() {
  if (Running()) return;
  const std::string urls[] = {AppUrl(), PatchUrl(), SignInUrl()};

  std::error_code error;
  if (!std::filesystem::exists(options_.patches, error)) {
    std::filesystem::create_directories(options_.patches, error);
    if (error) log_->Note("patch folder " + options_.patches.string() + ": " + error.message());
  }

  std::shared_ptr<Shared> shared;
  try {
    if (!options_.importFrom.empty()) Import();
    shared = std::make_shared<Shared>(options_, log_);
    const int found = shared->services.schemaFound;
    log_->Note("database " + shared->services.database->Name() + ", schema version " +
               std::to_string(LatestSchemaVersion()) +
               (found < LatestSchemaVersion() ? " (was " + std::to_string(found) + ")" : ""));
    if (options_.demo) {
      const DemoSeedResult seeded = SeedDemo(shared->services.store);
      log_->Note(std::string("demo: team ") + kDemoTeam + " of sign-in user \"" + kDemoUser +
                 "\", account " + std::to_string(seeded.accountId) + ", " +
                 std::to_string(seeded.membersAdded) + " riders added");
    }
  } catch (const std::exception& failure) {
    throw std::runtime_error("database " + options_.database + ": " + failure.what());
  }

  auto workers = std::make_shared<WorkerPool>(
      WorkerCount(shared->services.database->Embedded() != nullptr), options_.queueLimit);
  const Listener kinds[] = {Listener::kApp, Listener::kPatch, Listener::kSignIn};
  std::vector<std::unique_ptr<http_listener>> opened;
  for (int i = 0; i < 3; ++i) {
    try {
      auto listener = std::make_unique<http_listener>(urls[i]);
      const Listener kind = kinds[i];
      listener->support([shared, workers, kind](http_request request) {
        Serve(shared, workers, kind, std::move(request));
      });
      listener->open().wait();
      opened.push_back(std::move(listener));
    } catch (const std::exception& failure) {
      for (auto& listener : opened) {
        try {
          listener->close().wait();
        } catch (const std::exception&) {
        }
      }
      workers->Stop();
      throw std::runtime_error("cannot listen on " + urls[i] + ": " + failure.what());
    }
  }
  listeners_ = std::move(opened);
  shared_ = std::move(shared);
  workers_ = std::move(workers);
  log_->Note("application server on " + urls[0] + (options_.strict ? " (strict)" : "") +
             ", patch server on " + urls[1] + " (folder " + options_.patches.string() +
             "), sign-in on " + urls[2]);
}

void CompanionServer::Import() {
  const std::filesystem::path file = options_.importFrom.substr(std::string_view("sqlite:").size());
  std::error_code error;
  // Opening a missing file would make an empty database to copy.
  if (!std::filesystem::is_regular_file(file, error)) {
    throw std::runtime_error("--import: no database file " + file.string());
  }
  SqliteStoreDatabase source(file);
  MigrateSchema(source);
  PgStoreDatabase target(options_.database);
  MigrateSchema(target);
  const ImportCounts copied = ImportSqlite(source, target);
  log_->Note("imported " + file.string() + " into " + target.Name() + ": " + Describe(copied));
}

void CompanionServer::Stop() {
  if (!Running()) return;
  for (auto& listener : listeners_) {
    try {
      listener->close().wait();
    } catch (const std::exception&) {
    }
  }
  listeners_.clear();
  // A request still being answered keeps the services alive through its
  // own reference, so giving up the wait never pulls the database from
  // under it.
  if (!shared_->WaitIdle(std::chrono::milliseconds(kStopWaitMs))) {
    log_->Note("stopping with requests still in flight");
  }
  // The workers first: what they still run may hand changes to the writer.
  workers_->Stop();
  workers_.reset();
  if (shared_->writer) shared_->writer->Stop();
  shared_.reset();
  log_->Note("stopped");
}

void CompanionServer::Serve(const std::shared_ptr<Shared>& shared,
                            const std::shared_ptr<WorkerPool>& workers, Listener which,
                            http_request request) {
  const std::shared_ptr<const void> inFlight = Shared::Admit(shared);
  const char* name = which == Listener::kApp     ? "app"
                     : which == Listener::kPatch ? "patch"
                                                 : "sign-in";
  const Finish finish = [shared, inFlight, name, request](const std::string& what,
                                                          const std::string& result,
                                                          const HttpAnswer& answer) {
    shared->log->Write(name, request.method(), Printable(what), result);
    http_response response(static_cast<web::http::status_code>(answer.status));
    if (answer.file.empty()) {
      // Bytes, not text: the library's text overloads cast between stream
      // buffer types.
      response.set_body(std::vector<unsigned char>(answer.body.begin(), answer.body.end()));
      response.headers().set_content_type(answer.contentType);
    } else {
      try {
        const auto size = std::filesystem::file_size(answer.file);
        response.set_body(concurrency::streams::fstream::open_istream(
                              answer.file.string(), std::ios::in | std::ios::binary)
                              .get(),
                          size, answer.contentType);
      } catch (const std::exception&) {
        response = http_response(web::http::status_codes::NotFound);
        response.set_body(std::vector<unsigned char>{});
      }
    }
    if (!answer.location.empty()) response.headers().add("Location", answer.location);
    // One exchange per connection: a client never holds a connection that
    // a restart of this server has closed under it (the program's client
    // would report its next request as a broken connection).
    response.headers().add("Connection", "close");
    request.reply(response).then([inFlight](const pplx::task<void>& sent) {
      try {
        sent.get();
      } catch (const std::exception&) {
        // The client went away; nothing to tell it.
      }
    });
  };
  if (request.headers().content_length() > kMaxReadBody) {
    finish(request.request_uri().path(), "413",
           HttpAnswer{413, "text/plain", "too long\n", {}, {}});
    return;
  }

  ReadBody(request, kMaxReadBody)
      .then([shared, workers, which, name, request, finish](pplx::task<Body> read) {
        Body body;
        try {
          body = read.get();
        } catch (const std::exception&) {
          shared->log->Write(name, request.method(), Printable(request.request_uri().path()),
                             "the body could not be read");
          return;
        }
        if (!body) {
          finish(request.request_uri().path(), "413",
                 HttpAnswer{413, "text/plain", "too long\n", {}, {}});
          return;
        }
        const auto posted =
            workers->Post([shared, which, request, finish, body = std::move(*body)] {
              try {
                Respond(*shared, which, request, body, finish);
              } catch (const std::exception& failure) {
                try {
                  finish(request.request_uri().path(), std::string("500 ") + failure.what(),
                         HttpAnswer{500, "text/plain", "the server failed\n", {}, {}});
                } catch (const std::exception&) {
                  // Unanswered: the connection goes with the request.
                }
              }
            });
        switch (posted) {
          case WorkerPool::Posted::kQueued: break;
          case WorkerPool::Posted::kFull:
            finish(request.request_uri().path(), "503",
                   HttpAnswer{503, "text/plain", "busy, ask again later\n", {}, {}});
            break;
          // Stopping: the request goes unanswered with its connection.
          case WorkerPool::Posted::kStopping: break;
        }
      });
}

void CompanionServer::Respond(Shared& shared, Listener which, const http_request& request,
                              const std::string& body, const Finish& finish) {
  const std::string method = request.method();
  const std::string rawPath = request.request_uri().path();
  const std::string path = PercentDecode(rawPath, PlusSign::kItself).value_or(rawPath);
  const std::string rawQuery = request.request_uri().query();
  switch (which) {
    case Listener::kApp: {
      if (path != "/") {
        finish(path, "404", HttpAnswer{404, "text/plain", "no such page\n", {}, {}});
      } else if (method != web::http::methods::POST) {
        finish(path, "405", HttpAnswer{405, "text/plain", "only POST\n", {}, {}});
      } else {
        AppEndpoint::Opened opened = AppEndpoint::Open(body);
        if (opened.request && AppRequestHandler::Changes(*opened.request)) {
          AnswerChange(shared, std::move(*opened.request), finish);
        } else {
          AnswerApp(finish, opened.request ? shared.services.handler.Handle(*opened.request)
                                           : opened.refusal);
        }
      }
      break;
    }
    case Listener::kPatch: {
      const HttpAnswer answer = shared.services.patches.Answer(method, path, ParseQuery(rawQuery));
      finish(rawQuery.empty() ? path : path + "?" + rawQuery, std::to_string(answer.status),
             answer);
      break;
    }
    case Listener::kSignIn: {
      // Tokens travel in the query: the log names the page only.
      const HttpAnswer answer =
          shared.services.signIn.Answer(method, path, ParseQuery(rawQuery), body);
      finish(path, std::to_string(answer.status), answer);
      break;
    }
  }
}

void CompanionServer::AnswerApp(const Finish& finish, const web::json::value& reply) {
  const AppAnswer answer = AppEndpoint::Seal(reply);
  const std::string what = answer.header ? "header " + std::to_string(*answer.header) : "-";
  const std::string result = answer.status != 200 ? std::to_string(answer.status)
                             : answer.result      ? "result true"
                                                  : "errcode " + std::to_string(answer.errcode);
  finish(what, result, HttpAnswer{answer.status, "application/json", answer.body, {}, {}});
}

void CompanionServer::AnswerChange(Shared& shared, web::json::value request, const Finish& finish) {
  using web::json::value;
  const value header = request.at(wire_field::kHeader);
  if (!shared.writer) {
    AnswerApp(finish, shared.services.handler.Handle(request));
    return;
  }
  auto reply = std::make_shared<value>();
  // Stopping: the change is not posted and goes unanswered with its
  // connection (and leaves the count with its callbacks).
  (void)shared.writer->Post({[&shared, request = std::move(request), reply] {
                               *reply = shared.services.handler.Handle(request);
                             },
                             [header, reply, finish](const std::string& failure) {
                               // Replied only now that its group is durable. When the group was
                               // not kept, a change it made is refused as the database's failure;
                               // a refusal changed nothing and stands as it is.
                               value answer = *reply;
                               if (!answer.is_object() ||
                                   (!failure.empty() && answer.at(wire_field::kResult).as_bool())) {
                                 answer =
                                     AppRequestHandler::Refusal(header, errcode::kStorage, failure);
                               }
                               AnswerApp(finish, answer);
                             }});
}

}  // namespace vel::companion
