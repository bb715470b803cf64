#include "ant/usb_device_handle_si.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "ant/usb_permission.h"
#include "common/thread_name.h"
#include "crash/thread_signal_stack.h"

namespace vel {

unsigned BaudConstant(std::uint32_t baudRate) {
  switch (baudRate) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return 0;
  }
}

std::unique_ptr<USBDeviceHandleSI> USBDeviceHandleSI::Open(const USBDeviceSI& device,
                                                           std::uint32_t baudRate) {
  const speed_t speed = BaudConstant(baudRate);
  if (speed == 0) return nullptr;
  const int fd = ::open(device.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) LogPermissionDenied(device.Path());
    return nullptr;
  }
  // Nobody else may open the stick while it is ours (root excepted).
  ioctl(fd, TIOCEXCL);

  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    ::close(fd);
    return nullptr;
  }
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
  tio.c_cflag |= CS8 | CREAD | CLOCAL | CRTSCTS;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0 ||
      tcsetattr(fd, TCSANOW, &tio) != 0) {
    ::close(fd);
    return nullptr;
  }
  tcflush(fd, TCIOFLUSH);

  std::unique_ptr<USBDeviceHandleSI> handle(new USBDeviceHandleSI(device, fd));
  try {
    handle->reader_ = std::thread(&USBDeviceHandleSI::ReaderLoop, handle.get());
  } catch (const std::system_error&) {
    return nullptr;  // the destructor closes the tty
  }
  return handle;
}

USBDeviceHandleSI::USBDeviceHandleSI(const USBDeviceSI& device, int fd)
    : device_(device), fd_(fd) {}

USBDeviceHandleSI::~USBDeviceHandleSI() { Close(); }

void USBDeviceHandleSI::Close() {
  queue_.MarkGone();
  stop_ = true;
  // The reader polls in slices of kPollSliceMs, so this join is short.
  if (reader_.joinable()) reader_.join();
  if (fd_ >= 0) {
    tcflush(fd_, TCIOFLUSH);
    ::close(fd_);
    fd_ = -1;
  }
}

void USBDeviceHandleSI::ReaderLoop() {
  InstallThreadSignalStack();
  NameThisThread("ant-tty");
  std::uint8_t buffer[4096];
  auto lastPresenceCheck = std::chrono::steady_clock::now();
  while (!stop_.load()) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, kPollSliceMs);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready == 0) {
      // A quiet stick: make sure it is still there.
      const auto now = std::chrono::steady_clock::now();
      if (now - lastPresenceCheck >= std::chrono::milliseconds(kPresenceCheckMs)) {
        lastPresenceCheck = now;
        if (access(device_.Path().c_str(), F_OK) != 0 && errno == ENOENT) break;
      }
      continue;
    }
    if ((p.revents & POLLIN) != 0) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n > 0) {
        queue_.Append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      break;  // end of file after a hang-up, or a read error
    }
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) break;
  }
  // Leaving for any reason but a stop is the stick's loss.
  queue_.MarkGone();
}

HandleResult USBDeviceHandleSI::WriteToDevice(const std::uint8_t* bytes, std::size_t count,
                                              std::size_t& written) {
  std::lock_guard lock(writeMutex_);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
  while (written < count) {
    const ssize_t n = ::write(fd_, bytes + written, count - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      // EIO and the like: the tty was hung up under us.
      if (errno == EIO || errno == ENODEV || errno == ENXIO) queue_.MarkGone();
      return HandleResult::kWriteFailed;
    }
    // Flow control holds us back; wait for room, but not past the deadline.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return HandleResult::kWriteFailed;
    pollfd p{fd_, POLLOUT, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return HandleResult::kWriteFailed;
  }
  return HandleResult::kOk;
}

}  // namespace vel
