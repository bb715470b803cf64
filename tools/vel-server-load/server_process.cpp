#include "server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace vel {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

bool TakesConnections(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  const sockaddr_in address = Loopback(port);
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

std::string Address(int port) { return "127.0.0.1:" + std::to_string(port); }

}  // namespace

std::vector<int> FreeLoopbackPorts(int count) {
  // All bound at once, so that the kernel hands out different ones.
  std::vector<int> sockets;
  std::vector<int> ports;
  for (int i = 0; i < count; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    const bool ok = fd >= 0 &&
                    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0) sockets.push_back(fd);
    if (!ok) break;
    ports.push_back(ntohs(address.sin_port));
  }
  for (const int fd : sockets) ::close(fd);
  if (static_cast<int>(ports.size()) < count) throw std::runtime_error("no free port");
  return ports;
}

ServerProcess::ServerProcess(std::filesystem::path program, std::filesystem::path folder,
                             std::string database)
    : program_(std::move(program)),
      folder_(std::move(folder)),
      database_(database.empty() ? "sqlite:" + (folder_ / "load.db").string()
                                 : std::move(database)) {}

ServerProcess::~ServerProcess() { Stop(); }

std::string ServerProcess::AppUrl() const { return "http://" + Address(appPort_); }

void ServerProcess::Start() {
  if (pid_ > 0) throw std::runtime_error("vel-server is running already");
  // Another process may take a port between asking and listening.
  for (int attempt = 1; !StartOnce(); ++attempt) {
    if (attempt == kStartAttempts) {
      throw std::runtime_error("vel-server ended at its start: " + LastOutputLine());
    }
  }
}

bool ServerProcess::StartOnce() {
  const std::vector<int> ports = FreeLoopbackPorts(3);
  appPort_ = ports[0];
  std::vector<std::string> texts = {program_.string(),
                                    "--app",
                                    Address(ports[0]),
                                    "--patch",
                                    Address(ports[1]),
                                    "--sign-in",
                                    Address(ports[2]),
                                    "--database",
                                    database_,
                                    "--patches",
                                    (folder_ / "patches").string()};
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  // Its request log and any complaint go to a file: a pipe nobody reads
  // would hold it up.
  const std::string output = (folder_ / "server.log").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + program_.string());
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kStartWaitSeconds);
  while (!TakesConnections(appPort_)) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      if (LastOutputLine().find("cannot listen") != std::string::npos) return false;
      throw std::runtime_error("vel-server ended at its start: " + LastOutputLine());
    }
    if (std::chrono::steady_clock::now() > deadline) {
      End(SIGKILL);
      throw std::runtime_error("vel-server took no connection within " +
                               std::to_string(kStartWaitSeconds) + " s");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void ServerProcess::Kill() { End(SIGKILL); }

void ServerProcess::Stop() { End(SIGTERM); }

void ServerProcess::End(int signal) {
  if (pid_ <= 0) return;
  ::kill(pid_, signal);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

std::string ServerProcess::LastOutputLine() const {
  std::ifstream in(folder_ / "server.log");
  std::string line;
  std::string last;
  while (std::getline(in, line)) {
    if (!line.empty()) last = line;
  }
  return last.empty() ? "(no output)" : last;
}

}  // namespace vel
