#include "common/thread_name.h"

#include <pthread.h>

#include <cstring>
#include <string>

namespace vel {

void NameThisThread(const char* name) {
  // The kernel takes 15 characters and the terminating zero.
  const std::string kept(name, strnlen(name, 15));
  pthread_setname_np(pthread_self(), kept.c_str());
}

}  // namespace vel
