#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vel {

// `count` different free TCP ports on 127.0.0.1 (free when asked; another
// process may take one before it is used).
std::vector<int> FreeLoopbackPorts(int count);

// vel-server as a process of its own, on free loopback ports, with its
// database, patch folder and output in a folder of the caller's. It can be
// killed as a crash would end it and started again on the same database.
class ServerProcess {
 public:
  // `database`: what it is started on (--database); empty: a SQLite file
  // in the folder.
  ServerProcess(std::filesystem::path program, std::filesystem::path folder,
                std::string database = {});
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts it on fresh ports and waits until its application server takes
  // connections. Throws std::runtime_error when it cannot be started, ends
  // first (after kStartAttempts, when the ports were taken) or takes no
  // connection within kStartWaitSeconds.
  void Start();
  // SIGKILL, and waits until the process is gone.
  void Kill();
  // SIGTERM (it commits and closes), and waits until the process is gone.
  void Stop();

  // "http://127.0.0.1:PORT" of the running application server.
  std::string AppUrl() const;
  // The running process, or -1.
  pid_t Pid() const { return pid_; }

  static constexpr int kStartWaitSeconds = 60;
  static constexpr int kStartAttempts = 10;

 private:
  // One start on fresh ports: false when it ended at once, unable to listen.
  bool StartOnce();
  void End(int signal);
  std::string LastOutputLine() const;

  const std::filesystem::path program_;
  const std::filesystem::path folder_;
  const std::string database_;
  pid_t pid_ = -1;
  int appPort_ = 0;
};

}  // namespace vel
