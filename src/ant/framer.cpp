#include "ant/framer.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>

#include "ant/ant_frame.h"
#include "common/ant_commands.h"

namespace vel {
DSIFramerANT::DSIFramerANT(AntTransport* transport, std::size_t queueEntries)
    // Entries are always written before they are read, so the queue is not
    // cleared: a new framer costs no 2.8 MB memset.
    : DSIFramer(transport),
      queue_(new QueueEntry[std::bit_ceil(std::max<std::size_t>(queueEntries, 2))]),
      queueEntries_(std::bit_ceil(std::max<std::size_t>(queueEntries, 2))) {}

DSIFramerANT::~DSIFramerANT() {
  std::lock_guard lock(messageMutex_);
  messageSignal_.notify_all();
}

void DSIFramerANT::OnByte(std::uint8_t byte) { OnBytes(&byte, 1); }

void DSIFramerANT::OnBytes(const std::uint8_t* bytes, std::size_t count) {
  // One lock and one wake-up per read, not per byte: the receive loop of a
  // busy stick wakes once for all the frames of a read.
  std::lock_guard lock(messageMutex_);
  bool news = false;
  for (std::size_t i = 0; i < count; ++i) news |= Feed(bytes[i]);
  if (news) messageSignal_.notify_one();
}

bool DSIFramerANT::Feed(std::uint8_t byte) {
  const AntFrameDecoder::Result result = decoder_.Feed(byte);
  if (result == AntFrameDecoder::Result::kMore) return false;
  if (result == AntFrameDecoder::Result::kFrame) {
    DeliverFrame();
  } else {
    SetStatus(kStatusSerialError, serial_error::kBadChecksum);
  }
  return true;
}

void DSIFramerANT::OnSerialError(std::uint8_t code) {
  std::lock_guard lock(messageMutex_);
  SetStatus(kStatusSerialError, code);
  messageSignal_.notify_one();
}

void DSIFramerANT::SetStatus(std::uint8_t kind, std::uint8_t code) {
  statusKind_ = kind;
  statusCode_ = code;
}

void DSIFramerANT::DeliverFrame() {
  const std::uint8_t length = decoder_.Length();
  std::uint8_t id = decoder_.Id();
  std::uint8_t* data = decoder_.Data();

  CompleteWaiters(id, data, length);
  // A one-packet burst (sequence 0 with the last-packet bit) is how an
  // acknowledged message can arrive; hand it on as one.
  if ((id == ant_id::kBurstData || id == ant_id::kExtendedBurstData) && length > 0 &&
      (data[0] & kBurstSequenceMask) == kBurstLastPacketOnly) {
    id = ant_id::kAcknowledgedData;
    data[0] &= kBurstChannelMask;
    CompleteWaiters(id, data, length);
  }
  Enqueue(id, data, length);
}

void DSIFramerANT::CompleteWaiters(std::uint8_t id, const std::uint8_t* data, std::uint8_t length) {
  // A waiter is counted before its command is written, so it is counted
  // before any response to it can arrive.
  if (waiting_.load(std::memory_order_acquire) == 0) return;
  std::lock_guard lock(responseMutex_);
  const std::size_t copied = std::min<std::size_t>(length, MESG_MAX_SIZE_VALUE);
  for (ResponseWaiter* w = pendingHead_; w != nullptr; w = w->next) {
    if (w->completed || w->expectedId != id || length < w->matchCount ||
        std::memcmp(w->match, data, w->matchCount) != 0) {
      continue;
    }
    w->responseLength = length;
    std::memcpy(w->response, data, copied);
    w->completed = true;
    w->signal.notify_one();
  }
}

void DSIFramerANT::Enqueue(std::uint8_t id, const std::uint8_t* data, std::uint8_t length) {
  if (writeIndex_ - readIndex_ == queueEntries_ - 1) {
    statusKind_ = kStatusOverflow;
    statusCode_ = 0;
  } else {
    QueueEntry& entry = queue_[writeIndex_ & (queueEntries_ - 1)];
    entry.length = length;
    entry.id = id;
    // An entry holds 41 data bytes; a longer frame keeps its true length so
    // that TakeMessage reports it as oversized.
    std::memcpy(entry.data, data, std::min<std::size_t>(length, MESG_MAX_SIZE_VALUE));
    ++writeIndex_;
  }
}

std::uint16_t DSIFramerANT::PeekLength() const {
  if (statusKind_ != kStatusNone) return kResultError;
  if (readIndex_ == writeIndex_) return kResultTimeout;
  return queue_[readIndex_ & (queueEntries_ - 1)].length;
}

std::uint16_t DSIFramerANT::AwaitMessage(std::uint32_t timeoutMs) {
  std::unique_lock lock(messageMutex_);
  const std::uint16_t now = PeekLength();
  if (now != kResultTimeout || timeoutMs == 0) return now;
  messageSignal_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
    return statusKind_ != kStatusNone || readIndex_ != writeIndex_;
  });
  return PeekLength();
}

std::uint16_t DSIFramerANT::TakeMessage(AntMessage& out, std::uint16_t maxLength) {
  std::lock_guard lock(messageMutex_);
  if (statusKind_ != kStatusNone) {
    out.id = statusKind_;
    if (statusKind_ == kStatusSerialError) out.data[0] = statusCode_;
    statusKind_ = kStatusNone;
    statusCode_ = 0;
    return kResultError;
  }
  if (readIndex_ == writeIndex_) return kResultTimeout;

  const QueueEntry& entry = queue_[readIndex_++ & (queueEntries_ - 1)];
  std::uint16_t n = entry.length;
  if (maxLength != 0 && n >= maxLength) n = maxLength;
  if (n > MESG_MAX_SIZE_VALUE) {
    out.id = kStatusOversized;
    return kResultError;
  }
  out.id = entry.id;
  std::memcpy(out.data.data(), entry.data, n);
  return n;
}

std::unique_ptr<AntMessage> DSIFramerANT::NewMessageBuffer(std::uint16_t size) {
  if (size > MESG_MAX_SIZE_VALUE) return nullptr;
  return std::make_unique<AntMessage>();
}

bool DSIFramerANT::WriteMessage(const AntMessage& message, std::uint16_t length) {
  if (length > MESG_MAX_SIZE_VALUE || transport_ == nullptr) return false;
  std::uint8_t frame[MESG_MAX_SIZE_VALUE + kAntFrameOverhead + 2] = {};
  const std::size_t size =
      EncodeAntFrame(message.id, message.data.data(), static_cast<std::uint8_t>(length), frame);
  // The two bytes after the frame stay zero: the stick expects two trailing
  // zero bytes after every frame.
  return transport_->WriteBytes(frame, size + 2u);
}

bool DSIFramerANT::SendCommand(const AntMessage& message, std::uint16_t length,
                               std::uint32_t timeoutMs, bool* written) {
  if (written != nullptr) *written = false;
  if (timeoutMs == 0) {
    const bool ok = WriteMessage(message, length);
    if (written != nullptr) *written = ok;
    return ok;
  }

  ResponseWaiter waiter;
  waiter.expectedId = ant_id::kChannelResponse;
  waiter.matchCount = 2;
  waiter.match[0] = message.data[0];
  waiter.match[1] = message.id;
  {
    // Registered before the write so that a quick response is not missed.
    std::lock_guard lock(responseMutex_);
    ResponseWaiter** tail = &pendingHead_;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = &waiter;
    waiting_.fetch_add(1, std::memory_order_release);
  }
  if (!WriteMessage(message, length)) {
    std::lock_guard lock(responseMutex_);
    RemoveWaiter(&waiter);
    return false;
  }
  if (written != nullptr) *written = true;
  std::unique_lock lock(responseMutex_);
  waiter.signal.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&waiter] { return waiter.completed; });
  RemoveWaiter(&waiter);
  return waiter.completed && waiter.responseLength >= 3 &&
         waiter.response[2] == ant_code::RESPONSE_NO_ERROR;
}

void DSIFramerANT::RemoveWaiter(ResponseWaiter* waiter) {
  for (ResponseWaiter** link = &pendingHead_; *link != nullptr; link = &(*link)->next) {
    if (*link == waiter) {
      *link = waiter->next;
      waiting_.fetch_sub(1, std::memory_order_relaxed);
      return;
    }
  }
}

bool DSIFramerANT::UnassignChannel(std::uint8_t channel) {
  const AntCommand command = ant_command::UnassignChannel(channel);
  return SendCommand(command.message, command.length, kCommandResponseWaitMs);
}

bool DSIFramerANT::ResetSystem() {
  const AntCommand command = ant_command::ResetSystem();
  return WriteMessage(command.message, command.length);
}

}  // namespace vel
