#include "crash/crash_dump_writer.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/procfs.h>
#include <sys/syscall.h>
#include <sys/ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "crash/thread_signal_stack.h"

#if defined(__x86_64__)
#include <asm/prctl.h>
#endif

// Everything below the installer runs inside a signal handler of a process
// in an unknown state: no allocation, no locks, no stdio; only system
// calls and static buffers.
namespace vel {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

char g_prefix[16] = "VEP";
std::int64_t g_utcOffset = 0;  // local time offset, taken when installed
std::atomic<int> g_writing{0};
std::atomic<bool> g_installed{false};

// /proc/self/maps, read into static memory when the dump is written.
constexpr std::size_t kMapsBytes = 4u << 20;
char g_maps[kMapsBytes];
constexpr std::size_t kMaxMappings = 32768;

struct Mapping {
  std::uint64_t start;
  std::uint64_t end;
  std::uint64_t offset;  // in the mapped file
  std::uint32_t flags;   // PF_R/PF_W/PF_X
  bool dumped;           // contents written to the dump
  const char* path;      // inside g_maps, zero-terminated; empty when anonymous
};
Mapping g_mappings[kMaxMappings];

char g_auxv[4096];
char g_cmdline[4096];

// Reads a whole /proc file into `buffer`; returns the byte count or -1.
long ReadProcFile(const char* path, char* buffer, std::size_t size) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  std::size_t used = 0;
  while (used < size) {
    const ssize_t n = read(fd, buffer + used, size - used);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    used += static_cast<std::size_t>(n);
  }
  close(fd);
  return static_cast<long>(used);
}

std::uint64_t ParseHex(const char*& p) {
  std::uint64_t v = 0;
  for (;; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      v = v * 16 + static_cast<std::uint64_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      v = v * 16 + static_cast<std::uint64_t>(c - 'a' + 10);
    } else {
      return v;
    }
  }
}

bool StartsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// Mappings whose memory must not be read: kernel pages that are not
// ordinary memory, and device memory where a read may have side effects.
bool Unreadable(const Mapping& m) {
  if ((m.flags & PF_R) == 0) return true;
  // The kernel's time pages ("[vvar]", and "[vvar_vclock]" on newer
  // kernels) fault when read through a system call.
  if (StartsWith(m.path, "[vvar") || std::strcmp(m.path, "[vsyscall]") == 0) return true;
  return StartsWith(m.path, "/dev/") && !StartsWith(m.path, "/dev/shm/") &&
         !StartsWith(m.path, "/dev/zero");
}

// Parses g_maps (length n) into g_mappings; returns the number of mappings.
std::size_t ParseMaps(long n) {
  std::size_t count = 0;
  char* p = g_maps;
  char* end = g_maps + n;
  while (p < end && count < kMaxMappings) {
    char* line = p;
    char* eol = static_cast<char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (eol == nullptr) break;  // a cut last line is left out
    *eol = '\0';
    p = eol + 1;

    const char* q = line;
    Mapping m{};
    m.start = ParseHex(q);
    if (*q++ != '-') continue;
    m.end = ParseHex(q);
    if (*q++ != ' ') continue;
    if (q[0] == 'r') m.flags |= PF_R;
    if (q[1] == 'w') m.flags |= PF_W;
    if (q[2] == 'x') m.flags |= PF_X;
    q += 5;
    m.offset = ParseHex(q);
    // device, inode, then the path after the padding
    for (int field = 0; field < 2; ++field) {
      while (*q == ' ') ++q;
      while (*q != ' ' && *q != '\0') ++q;
    }
    while (*q == ' ') ++q;
    m.path = q;
    m.dumped = !Unreadable(m);
    g_mappings[count++] = m;
  }
  return count;
}

// Local civil time from seconds since the epoch (days-from-civil inverse).
void CivilTime(std::int64_t seconds, int& year, int& month, int& day, int& hour, int& minute,
               int& second) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  hour = static_cast<int>(rest / 3600);
  minute = static_cast<int>(rest / 60 % 60);
  second = static_cast<int>(rest % 60);
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// Appends `value` with at least `width` digits.
char* PutNumber(char* out, char* limit, int value, int width) {
  char digits[12];
  int n = 0;
  unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n < width) digits[n++] = '0';
  while (n > 0 && out < limit) *out++ = digits[--n];
  return out;
}

char* PutText(char* out, char* limit, const char* text) {
  while (*text != '\0' && out < limit) *out++ = *text++;
  return out;
}

// Writes all of `bytes` at the current offset. A region the kernel cannot
// read (EFAULT) is left as a hole of zeros rather than failing the dump.
bool WriteMemory(int fd, const void* bytes, std::size_t size) {
  constexpr std::size_t kChunk = 1u << 20;
  const char* p = static_cast<const char*>(bytes);
  std::size_t done = 0;
  while (done < size) {
    const std::size_t want = size - done < kChunk ? size - done : kChunk;
    const ssize_t n = write(fd, p + done, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EFAULT) {
      if (lseek(fd, static_cast<off_t>(want), SEEK_CUR) < 0) return false;
      done += want;
      continue;
    }
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const void* bytes, std::size_t size) {
  const char* p = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Copies at most size - 1 characters and always terminates.
void CopyText(char* out, std::size_t size, const char* text) {
  std::size_t i = 0;
  for (; i + 1 < size && text[i] != '\0'; ++i) out[i] = text[i];
  out[i] = '\0';
}

std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

std::size_t NoteSize(std::size_t descBytes) {
  return sizeof(Elf64_Nhdr) + Align4(sizeof("CORE")) + Align4(descBytes);
}

bool WriteNote(int fd, std::uint32_t type, const void* desc, std::size_t descBytes) {
  Elf64_Nhdr header{};
  header.n_namesz = sizeof("CORE");
  header.n_descsz = static_cast<Elf64_Word>(descBytes);
  header.n_type = type;
  static const char kName[8] = "CORE";
  static const char kZeros[4] = {};
  return WriteAll(fd, &header, sizeof header) && WriteAll(fd, kName, Align4(sizeof("CORE"))) &&
         WriteAll(fd, desc, descBytes) && WriteAll(fd, kZeros, Align4(descBytes) - descBytes);
}

#if defined(__x86_64__)
void FillRegisters(elf_gregset_t& regs, const ucontext_t* uc) {
  const greg_t* g = uc->uc_mcontext.gregs;
  // The order of the kernel's user_regs_struct, which gdb reads.
  const unsigned long values[] = {static_cast<unsigned long>(g[REG_R15]),
                                  static_cast<unsigned long>(g[REG_R14]),
                                  static_cast<unsigned long>(g[REG_R13]),
                                  static_cast<unsigned long>(g[REG_R12]),
                                  static_cast<unsigned long>(g[REG_RBP]),
                                  static_cast<unsigned long>(g[REG_RBX]),
                                  static_cast<unsigned long>(g[REG_R11]),
                                  static_cast<unsigned long>(g[REG_R10]),
                                  static_cast<unsigned long>(g[REG_R9]),
                                  static_cast<unsigned long>(g[REG_R8]),
                                  static_cast<unsigned long>(g[REG_RAX]),
                                  static_cast<unsigned long>(g[REG_RCX]),
                                  static_cast<unsigned long>(g[REG_RDX]),
                                  static_cast<unsigned long>(g[REG_RSI]),
                                  static_cast<unsigned long>(g[REG_RDI]),
                                  static_cast<unsigned long>(-1L) /* orig_rax */,
                                  static_cast<unsigned long>(g[REG_RIP]),
                                  static_cast<unsigned long>(g[REG_CSGSFS] & 0xFFFF),
                                  static_cast<unsigned long>(g[REG_EFL]),
                                  static_cast<unsigned long>(g[REG_RSP]),
                                  0x2B /* ss */};
  std::memset(&regs, 0, sizeof regs);
  std::memcpy(&regs, values, sizeof values);
  unsigned long fsBase = 0;
  syscall(SYS_arch_prctl, ARCH_GET_FS, &fsBase);
  regs[21] = fsBase;  // fs_base; gs_base, ds, es, fs, gs stay 0
}
#endif

bool WriteDump(int fd, int signal, const siginfo_t* info, const void* ucontext) {
#if !defined(__x86_64__)
  (void)fd, (void)signal, (void)info, (void)ucontext;
  return false;
#else
  const long mapsBytes = ReadProcFile("/proc/self/maps", g_maps, kMapsBytes);
  if (mapsBytes <= 0) return false;
  const std::size_t count = ParseMaps(mapsBytes);
  long auxvBytes = ReadProcFile("/proc/self/auxv", g_auxv, sizeof g_auxv);
  if (auxvBytes < 0) auxvBytes = 0;
  long cmdBytes = ReadProcFile("/proc/self/cmdline", g_cmdline, sizeof g_cmdline - 1);
  if (cmdBytes < 0) cmdBytes = 0;
  g_cmdline[cmdBytes] = '\0';

  elf_prstatus status{};
  status.pr_info.si_signo = signal;
  status.pr_info.si_code = info != nullptr ? info->si_code : 0;
  status.pr_cursig = static_cast<short>(signal);
  status.pr_pid = static_cast<pid_t>(syscall(SYS_gettid));
  status.pr_ppid = getppid();
  status.pr_pgrp = getpgrp();
  status.pr_sid = getsid(0);
  if (ucontext != nullptr) FillRegisters(status.pr_reg, static_cast<const ucontext_t*>(ucontext));

  elf_prpsinfo process{};
  process.pr_pid = getpid();
  process.pr_ppid = getppid();
  process.pr_uid = getuid();
  process.pr_gid = getgid();
  process.pr_sname = 'R';
  const char* name = g_cmdline;
  for (const char* c = g_cmdline; *c != '\0'; ++c) {
    if (*c == '/') name = c + 1;
  }
  CopyText(process.pr_fname, sizeof process.pr_fname, name);
  for (long i = 0; i < cmdBytes && i < static_cast<long>(sizeof process.pr_psargs) - 1; ++i) {
    process.pr_psargs[i] = g_cmdline[i] == '\0' ? ' ' : g_cmdline[i];
  }

  // The file-backed mappings, so a debugger can match them with their files.
  std::size_t files = 0;
  std::size_t fileNames = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (g_mappings[i].path[0] == '/') {
      ++files;
      fileNames += std::strlen(g_mappings[i].path) + 1;
    }
  }
  const std::size_t fileNoteBytes = 2 * 8 + files * 3 * 8 + fileNames;
  const std::uint64_t pageSize = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));

  const std::size_t notesBytes = NoteSize(sizeof status) + NoteSize(sizeof process) +
                                 NoteSize(static_cast<std::size_t>(auxvBytes)) +
                                 NoteSize(fileNoteBytes);
  const std::size_t headersBytes = sizeof(Elf64_Ehdr) + (count + 1) * sizeof(Elf64_Phdr);
  std::uint64_t dataOffset = (headersBytes + notesBytes + pageSize - 1) / pageSize * pageSize;

  Elf64_Ehdr elf{};
  std::memcpy(elf.e_ident, ELFMAG, SELFMAG);
  elf.e_ident[EI_CLASS] = ELFCLASS64;
  elf.e_ident[EI_DATA] = ELFDATA2LSB;
  elf.e_ident[EI_VERSION] = EV_CURRENT;
  elf.e_ident[EI_OSABI] = ELFOSABI_NONE;
  elf.e_type = ET_CORE;
  elf.e_machine = EM_X86_64;
  elf.e_version = EV_CURRENT;
  elf.e_phoff = sizeof(Elf64_Ehdr);
  elf.e_ehsize = sizeof(Elf64_Ehdr);
  elf.e_phentsize = sizeof(Elf64_Phdr);
  elf.e_phnum = static_cast<Elf64_Half>(count + 1 < PN_XNUM ? count + 1 : PN_XNUM);
  if (count + 1 >= PN_XNUM) return false;
  if (!WriteAll(fd, &elf, sizeof elf)) return false;

  Elf64_Phdr note{};
  note.p_type = PT_NOTE;
  note.p_offset = headersBytes;
  note.p_filesz = notesBytes;
  if (!WriteAll(fd, &note, sizeof note)) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const Mapping& m = g_mappings[i];
    Elf64_Phdr load{};
    load.p_type = PT_LOAD;
    load.p_flags = m.flags;
    load.p_vaddr = m.start;
    load.p_memsz = m.end - m.start;
    load.p_offset = dataOffset;
    load.p_filesz = m.dumped ? load.p_memsz : 0;
    load.p_align = pageSize;
    dataOffset += load.p_filesz;
    if (!WriteAll(fd, &load, sizeof load)) return false;
  }

  if (!WriteNote(fd, NT_PRSTATUS, &status, sizeof status) ||
      !WriteNote(fd, NT_PRPSINFO, &process, sizeof process) ||
      !WriteNote(fd, NT_AUXV, g_auxv, static_cast<std::size_t>(auxvBytes))) {
    return false;
  }
  Elf64_Nhdr fileHeader{};
  fileHeader.n_namesz = sizeof("CORE");
  fileHeader.n_descsz = static_cast<Elf64_Word>(fileNoteBytes);
  fileHeader.n_type = NT_FILE;
  static const char kName[8] = "CORE";
  static const char kZeros[4] = {};
  const std::uint64_t counts[2] = {files, pageSize};
  if (!WriteAll(fd, &fileHeader, sizeof fileHeader) || !WriteAll(fd, kName, 8) ||
      !WriteAll(fd, counts, sizeof counts)) {
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const Mapping& m = g_mappings[i];
    if (m.path[0] != '/') continue;
    const std::uint64_t entry[3] = {m.start, m.end, m.offset / pageSize};
    if (!WriteAll(fd, entry, sizeof entry)) return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const Mapping& m = g_mappings[i];
    if (m.path[0] == '/' && !WriteAll(fd, m.path, std::strlen(m.path) + 1)) return false;
  }
  if (!WriteAll(fd, kZeros, Align4(fileNoteBytes) - fileNoteBytes)) return false;

  std::uint64_t offset = (headersBytes + notesBytes + pageSize - 1) / pageSize * pageSize;
  for (std::size_t i = 0; i < count; ++i) {
    const Mapping& m = g_mappings[i];
    if (!m.dumped) continue;
    if (lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) return false;
    if (!WriteMemory(fd, reinterpret_cast<const void*>(m.start), m.end - m.start)) return false;
    offset += m.end - m.start;
  }
  // The file must be as long as the headers say, even when the last
  // region was a hole.
  return ftruncate(fd, static_cast<off_t>(offset)) == 0;
#endif
}

void OnFatalSignal(int signal, siginfo_t* info, void* ucontext) {
  // Another thread failing while the first writes waits for the end. The
  // writing thread itself never gets here twice: the fatal signals are
  // blocked while it writes, and a fault then ends the process at once.
  if (g_writing.exchange(1) != 0) {
    for (;;) pause();
  }
  const int savedErrno = errno;
  const bool written = WriteCrashDump(signal, info, ucontext);
  errno = savedErrno;
  if (written) _exit(128 + signal);
  // Back to the system's own handling: the default action of every fatal
  // signal (so that the threads waiting above end with the process too),
  // and this one raised again; it arrives when the handler returns.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  for (int s : kFatalSignals) sigaction(s, &fallback, nullptr);
  raise(signal);
}

}  // namespace

void FormatCrashDumpName(char* out, std::size_t size, const char* prefix, std::int64_t epochSeconds,
                         std::int64_t utcOffsetSeconds) {
  if (size == 0) return;
  int year, month, day, hour, minute, second;
  CivilTime(epochSeconds + utcOffsetSeconds, year, month, day, hour, minute, second);
  char* limit = out + size - 1;
  char* p = PutText(out, limit, prefix);
  p = PutText(p, limit, "_");
  p = PutNumber(p, limit, year, 4);
  p = PutText(p, limit, ".");
  p = PutNumber(p, limit, month, 2);
  p = PutText(p, limit, ".");
  p = PutNumber(p, limit, day, 2);
  p = PutText(p, limit, "-");
  p = PutNumber(p, limit, hour, 2);
  p = PutText(p, limit, "_");
  p = PutNumber(p, limit, minute, 2);
  p = PutText(p, limit, "_");
  p = PutNumber(p, limit, second, 2);
  p = PutText(p, limit, ".dmp");
  *p = '\0';
}

bool WriteCrashDump(int signal, const siginfo_t* info, const void* ucontext) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  char name[64];
  FormatCrashDumpName(name, sizeof name, g_prefix, now.tv_sec, g_utcOffset);
  // A second crash in the same second replaces the file. The dump holds
  // the process's tokens: it is made new, readable by the user alone, and
  // a link put in its place is removed rather than followed.
  unlink(name);
  const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool ok = WriteDump(fd, signal, info, ucontext);
  close(fd);
  return ok;
}

void InstallCrashDumpWriter(const char* prefix) {
  if (g_installed.exchange(true)) return;
  CopyText(g_prefix, sizeof g_prefix, prefix);
  // The handler cannot read the time zone; the offset is taken now.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) != nullptr) g_utcOffset = local.tm_gmtoff;

  // A stack overflow leaves no stack for the handler: give it its own
  // (each thread the program starts gets one the same way).
  InstallThreadSignalStack();

  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int s : kFatalSignals) sigaddset(&action.sa_mask, s);
  for (int s : kFatalSignals) sigaction(s, &action, nullptr);
}

}  // namespace vel
