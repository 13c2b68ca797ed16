// The C boundary of the suite's libraries: no C++ exception may cross it.
// Every export runs its body through cabi::guarded, which turns an exception
// (memory running out, in practice) into the export's own failure result.
#ifndef KESTREL_BASE_CABI_H
#define KESTREL_BASE_CABI_H

#include <type_traits>
#include <utility>

namespace ksbase {

// Runs `body` and returns what it returns, or `failure` when it throws.
template <class Result, class Body>
Result guarded(Result failure, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return failure;
  }
}

// For exports without a result: runs `body`, then `cleanUp` when it throws
// (to leave the caller's buffers in their failure state).
template <class Body, class CleanUp>
void guardedVoid(Body&& body, CleanUp&& cleanUp) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    try {
      std::forward<CleanUp>(cleanUp)();
    } catch (...) {
    }
  }
}

}  // namespace ksbase

#endif
