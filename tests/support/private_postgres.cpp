#include "support/private_postgres.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "support/read_file.h"
#include "support/run_program.h"
#include "vel-server/pg_connection.h"

namespace vel::test {
namespace {

constexpr int kStartAttempts = 5;

// Debian keeps each major version's programs apart; the newest is taken.
std::string ServerPrograms() {
  std::string newest;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
    const std::filesystem::path bin = entry.path() / "bin";
    if (std::filesystem::exists(bin / "initdb") && bin.string() > newest) newest = bin.string();
  }
  if (newest.empty()) throw std::runtime_error("PostgreSQL's server programs are not installed");
  return newest;
}

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const bool ok = fd >= 0 &&
                  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  if (fd >= 0) ::close(fd);
  if (!ok) throw std::runtime_error("no free port");
  return ntohs(address.sin_port);
}

// The postmaster's process id, the first line of its pid file; 0 when
// there is none.
pid_t PostmasterPid(const std::filesystem::path& data) {
  const std::string text = ReadFile(data / "postmaster.pid");
  return static_cast<pid_t>(std::strtol(text.c_str(), nullptr, 10));
}

// A process that outlives this one only to stop the cluster: it waits on
// a pipe whose other end only this process holds. A byte on it means the
// cluster was stopped; its end without one comes however else this
// process ends (a crash, a sanitizer's report, ctest's kill at the
// time-out), and then the postmaster is ended at once. Gives the end to
// write the byte to, or -1.
int WatchOver(pid_t postmaster) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return -1;
  const pid_t watcher = ::fork();
  if (watcher == 0) {
    // Only calls safe after a fork of a process with threads; no end of
    // another pipe of this process stays open here.
    for (int fd = 3; fd < 1024; ++fd) {
      if (fd != ends[0]) ::close(fd);
    }
    char byte = 0;
    ssize_t got = 0;
    while ((got = ::read(ends[0], &byte, 1)) < 0 && errno == EINTR) {
    }
    if (got == 0) ::kill(postmaster, SIGQUIT);
    ::_exit(0);
  }
  ::close(ends[0]);
  if (watcher < 0) {
    ::close(ends[1]);
    return -1;
  }
  return ends[1];
}

ProgramRun RunAs(const std::vector<std::string>& as, const std::string& program,
                 const std::vector<std::string>& arguments) {
  if (as.empty()) return RunProgram(program, arguments);
  std::vector<std::string> all(as.begin() + 1, as.end());
  all.push_back(program);
  all.insert(all.end(), arguments.begin(), arguments.end());
  return RunProgram(as.front(), all);
}

}  // namespace

PrivatePostgres::PrivatePostgres() : bin_(ServerPrograms()) {
  if (::geteuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) throw std::runtime_error("no user nobody to run PostgreSQL as");
    if (::chown(folder_.Path().c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
      throw std::runtime_error("cannot give the cluster's folder to nobody");
    }
    as_ = {"setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
           "--regid=" + std::to_string(nobody->pw_gid), "--clear-groups", "--"};
  }
  const ProgramRun init = RunAs(as_, bin_ + "/initdb",
                                {"-D", (folder_ / "data").string(), "-U", "vel", "--auth=trust",
                                 "--encoding=UTF8", "--locale=C", "--no-sync"});
  if (init.status != 0) throw std::runtime_error("initdb failed: " + init.err + init.out);
  for (int attempt = 1; !Start(); ++attempt) {
    if (attempt == kStartAttempts) {
      throw std::runtime_error("the private PostgreSQL did not start");
    }
  }
  if (const pid_t postmaster = PostmasterPid(folder_ / "data"); postmaster > 0) {
    watcher_ = WatchOver(postmaster);
  }
}

bool PrivatePostgres::Start() {
  port_ = FreePort();
  const std::string options = "-p " + std::to_string(port_) + " -k " + folder_.Path().string() +
                              " -c listen_addresses=127.0.0.1 -c fsync=off" +
                              " -c full_page_writes=off -c max_connections=200";
  const ProgramRun start =
      RunAs(as_, bin_ + "/pg_ctl",
            {"-D", (folder_ / "data").string(), "-l", (folder_ / "server.log").string(), "-w", "-t",
             "60", "-o", options, "start"});
  running_ = start.status == 0;
  return running_;
}

PrivatePostgres::~PrivatePostgres() {
  if (running_) {
    RunAs(as_, bin_ + "/pg_ctl", {"-D", (folder_ / "data").string(), "-m", "immediate", "stop"});
  }
  if (watcher_ >= 0) {
    const char stopped = 1;
    (void)::write(watcher_, &stopped, 1);
    ::close(watcher_);
  }
}

std::string PrivatePostgres::Url(const std::string& database) const {
  return "postgresql://vel@127.0.0.1:" + std::to_string(port_) + "/" + database;
}

std::string PrivatePostgres::NewDatabase() {
  const std::string name = "test_" + std::to_string(++databases_);
  companion::PgConnection(Url()).Run(("CREATE DATABASE " + name).c_str());
  return Url(name);
}

PrivatePostgres& SharedPostgres() {
  static PrivatePostgres cluster;
  return cluster;
}

}  // namespace vel::test
