#pragma once

namespace vel::companion {

// What a store operation gives: a value, or the errcode (vel::errcode) of
// why it was refused. A refused operation has changed nothing.
template <typename T>
struct Outcome {
  int errcode = 0;
  T value{};
  bool Ok() const { return errcode == 0; }
};
struct Nothing {};
using Done = Outcome<Nothing>;

template <typename T>
Outcome<T> Refused(int code) {
  return Outcome<T>{code, T{}};
}

}  // namespace vel::companion
