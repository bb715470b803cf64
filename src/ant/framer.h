#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "ant/ant_frame_decoder.h"
#include "ant/ant_transport.h"
#include "ant/serial_callback.h"
#include "common/ant_message.h"

namespace vel {

// A framer sits on a transport: it writes frames to it and is fed the
// bytes it reads.
class DSIFramer : public DSISerialCallback {
 public:
  explicit DSIFramer(AntTransport* transport) : transport_(transport) {}

 protected:
  AntTransport* transport_;
};

// Cuts the stick's byte stream into checked ANT messages kept in a fixed
// receive queue, frames outgoing messages, and lets a caller wait for the
// stick's response to a command it sends.
//
// Threads: the transport's receive thread calls OnByte/OnSerialError; the
// stick's receive loop calls AwaitMessage/TakeMessage; any thread may call
// WriteMessage and SendCommand. Responses are matched on the transport's
// thread, so a thread blocked in SendCommand is woken even when nobody
// drains the queue. The owner stops every waiting thread before destroying
// the framer.
class DSIFramerANT : public DSIFramer {
 public:
  static constexpr std::uint16_t kResultError = 0xFFFF;
  static constexpr std::uint16_t kResultTimeout = 0xFFFE;
  static constexpr std::size_t kQueueEntries = 65536;

  // Status kinds reported through TakeMessage's output byte 0.
  enum StatusKind : std::uint8_t {
    kStatusNone = 0,
    kStatusOverflow = 1,
    kStatusSerialError = 2,
    kStatusOversized = 3,  // a queued entry claims 42 or more data bytes
    kStatusWaitFailed = 0xFF,
  };

  // `queueEntries` (rounded up to a power of two) below the stick's 65536
  // serve only the fuzz target, which makes a framer for every input.
  explicit DSIFramerANT(AntTransport* transport, std::size_t queueEntries = kQueueEntries);
  ~DSIFramerANT() override;
  DSIFramerANT(const DSIFramerANT&) = delete;
  DSIFramerANT& operator=(const DSIFramerANT&) = delete;

  void OnByte(std::uint8_t byte) override;
  void OnBytes(const std::uint8_t* bytes, std::size_t count) override;
  void OnSerialError(std::uint8_t code) override;

  // Frames and writes one message (length + 6 bytes in one transport write,
  // the last two being zero). Refuses 42 or more data bytes.
  virtual bool WriteMessage(const AntMessage& message, std::uint16_t length);
  // Data length of the oldest queued message, 0xFFFF for a pending error,
  // 0xFFFE when nothing arrives within the time-out.
  virtual std::uint16_t AwaitMessage(std::uint32_t timeoutMs);
  // Takes the oldest message into `out`, cut to maxLength when that is not 0.
  // 0xFFFF reports a pending error (kind in out.id, for serial errors the code
  // in out.data[0]) or an oversized entry (kind 3); 0xFFFE: queue empty.
  virtual std::uint16_t TakeMessage(AntMessage& out, std::uint16_t maxLength);
  virtual std::unique_ptr<AntMessage> NewMessageBuffer(std::uint16_t size);

  // Writes the command and, with a time-out, waits for the stick's channel
  // response to it. True only for a response with RESPONSE_NO_ERROR. The
  // response is queued for TakeMessage as well. `written`, when given, tells
  // whether the command left at all (a stick that takes no command is gone).
  bool SendCommand(const AntMessage& message, std::uint16_t length, std::uint32_t timeoutMs,
                   bool* written = nullptr);
  bool UnassignChannel(std::uint8_t channel);
  bool ResetSystem();

 private:
  struct QueueEntry {
    std::uint8_t length;
    std::uint8_t id;
    std::uint8_t data[MESG_MAX_SIZE_VALUE];
  };
  static_assert(sizeof(QueueEntry) == 43);

  struct ResponseWaiter {
    std::uint8_t expectedId = 0;
    std::uint8_t matchCount = 0;
    std::uint8_t match[2] = {0, 0};
    std::uint8_t responseLength = 0;
    std::uint8_t response[MESG_MAX_SIZE_VALUE] = {};
    bool completed = false;
    std::condition_variable signal;
    ResponseWaiter* next = nullptr;
  };

  bool Feed(std::uint8_t byte);  // under messageMutex_; true when a frame or status came
  void DeliverFrame();           // under messageMutex_
  void CompleteWaiters(std::uint8_t id, const std::uint8_t* data, std::uint8_t length);
  void Enqueue(std::uint8_t id, const std::uint8_t* data, std::uint8_t length);
  void SetStatus(std::uint8_t kind, std::uint8_t code);  // under messageMutex_
  std::uint16_t PeekLength() const;                      // under messageMutex_
  void RemoveWaiter(ResponseWaiter* waiter);             // under responseMutex_

  // Receiving, the queue and the status.
  std::mutex messageMutex_;
  std::condition_variable messageSignal_;
  AntFrameDecoder decoder_;
  std::unique_ptr<QueueEntry[]> queue_;
  std::size_t queueEntries_;
  // Counts of messages queued and taken; entry i lives at i & (entries - 1).
  std::size_t writeIndex_ = 0;
  std::size_t readIndex_ = 0;
  std::uint8_t statusKind_ = kStatusNone;
  std::uint8_t statusCode_ = 0;

  // Commands waiting for their response, in registration order.
  std::mutex responseMutex_;
  ResponseWaiter* pendingHead_ = nullptr;
  // How many commands wait, so that frames arriving while none does skip
  // the response lock.
  std::atomic<int> waiting_{0};
};

}  // namespace vel
