#include "machine_share.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vel {
namespace {

double TicksToSeconds(double ticks) {
  static const long perSecond = sysconf(_SC_CLK_TCK);
  return perSecond > 0 ? ticks / static_cast<double>(perSecond) : 0;
}

// The first line of /proc/stat: "cpu user nice system idle iowait irq
// softirq steal ...".
void ReadMachine(CpuTimes& times) {
  std::ifstream in("/proc/stat");
  std::string label;
  in >> label;
  if (label != "cpu") return;
  std::vector<double> fields;
  double value = 0;
  while (fields.size() < 8 && in >> value) fields.push_back(value);
  if (fields.size() < 8) return;
  double all = 0;
  for (double f : fields) all += f;
  const double idle = fields[3] + fields[4];
  times.machineAll = TicksToSeconds(all);
  times.machineBusy = TicksToSeconds(all - idle - fields[7]);
  times.stolen = TicksToSeconds(fields[7]);
}

// utime and stime of /proc/PID/stat: fields 14 and 15, counted after the
// command's closing parenthesis, as the command may hold spaces.
double ReadProcess(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream rest(line.substr(close + 1));
  std::string field;
  double utime = 0;
  double stime = 0;
  for (int n = 3; n <= 13 && rest >> field; ++n) {
  }
  if (!(rest >> utime >> stime)) return 0;
  return TicksToSeconds(utime + stime);
}

double OwnSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

CpuTimes TakeCpuTimes(const std::vector<pid_t>& servers) {
  CpuTimes times;
  ReadMachine(times);
  for (const pid_t server : servers) times.server += ReadProcess(server);
  times.load = OwnSeconds();
  return times;
}

CpuTimes CpuSpent(const CpuTimes& before, const CpuTimes& after) {
  return CpuTimes{after.machineBusy - before.machineBusy, after.machineAll - before.machineAll,
                  after.stolen - before.stolen, after.server - before.server,
                  after.load - before.load};
}

std::optional<double> FsyncMedianMs(const std::filesystem::path& folder, int rounds) {
  const std::string path = (folder / "fsync-probe").string();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return std::nullopt;
  const std::vector<char> block(4096, 'x');
  std::vector<double> ms;
  for (int n = 0; n < rounds; ++n) {
    if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) break;
    const auto start = std::chrono::steady_clock::now();
    if (::fsync(fd) != 0) break;
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  ::close(fd);
  ::unlink(path.c_str());
  if (ms.empty()) return std::nullopt;
  std::nth_element(ms.begin(), ms.begin() + static_cast<std::ptrdiff_t>(ms.size() / 2), ms.end());
  return ms[ms.size() / 2];
}

}  // namespace vel
