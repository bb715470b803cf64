#include "common/queues.h"

#include <atomic>
#include <cstdio>

namespace vel {
namespace {

std::atomic<StringQueue*> g_eventQueue{nullptr};
std::atomic<StringQueue*> g_logQueue{nullptr};

std::atomic<StringQueue*>& Slot(QueueBinding::Role role) {
  return role == QueueBinding::Role::kEvents ? g_eventQueue : g_logQueue;
}

}  // namespace

void BindEventQueue(StringQueue* queue) { g_eventQueue.store(queue); }
void BindLogQueue(StringQueue* queue) { g_logQueue.store(queue); }

QueueBinding::QueueBinding(Role role, StringQueue& queue)
    : role_(role), previous_(Slot(role).exchange(&queue)) {}

QueueBinding::~QueueBinding() { Slot(role_).store(previous_); }

void PushEvent(std::string_view text) {
  if (StringQueue* queue = g_eventQueue.load()) queue->Push(text);
}

void PushEvents(const std::string_view* texts, std::size_t count) {
  if (StringQueue* queue = g_eventQueue.load()) queue->PushAll(texts, count);
}

std::string FormatLogLine(const std::tm& when, std::string_view text) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%02d/%02d/%02d-%02d:%02d:%02d", when.tm_year + 1900,
                when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
  std::string line(stamp);
  line += " > ";
  line += text;
  return line;
}

void PushLog(std::string_view text) {
  StringQueue* queue = g_logQueue.load();
  if (queue == nullptr) return;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  queue->Push(FormatLogLine(local, text));
}

}  // namespace vel
