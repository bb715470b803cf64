#pragma once

#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace vel::test {

// A PostgreSQL cluster of the test's own: initdb into a scratch folder,
// the server on a free port of 127.0.0.1 with trust for its one user, and
// gone with everything in it when the object goes. A test run as root
// runs the cluster as the unprivileged user "nobody", as PostgreSQL wants.
// Durability is off (fsync): a test's cluster outlives no machine crash.
// A test process that ends without its destructors (a crash, a kill) takes
// the cluster down all the same, through a watching process.
class PrivatePostgres {
 public:
  // Throws std::runtime_error, with the tools' own words, when the cluster
  // cannot be made or started.
  PrivatePostgres();
  ~PrivatePostgres();
  PrivatePostgres(const PrivatePostgres&) = delete;
  PrivatePostgres& operator=(const PrivatePostgres&) = delete;

  // "postgresql://vel@127.0.0.1:PORT/DATABASE".
  std::string Url(const std::string& database = "postgres") const;
  // A new empty database of a name not used before in this cluster; its
  // URL.
  std::string NewDatabase();

 private:
  bool Start();  // false when the port was taken meanwhile

  ScratchFolder folder_;
  std::string bin_;              // the folder of initdb and pg_ctl
  std::vector<std::string> as_;  // the command prefix that runs them as the cluster's user
  int port_ = 0;
  int databases_ = 0;
  bool running_ = false;
  int watcher_ = -1;  // the pipe to the process that stops a cluster left behind
};

// The cluster shared by the tests of this process, started on first use.
PrivatePostgres& SharedPostgres();

}  // namespace vel::test
