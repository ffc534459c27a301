// Boundaries no exception may cross: an export that a C host calls, a thread
// procedure the system calls. The body's exception ends here and is described
// to `failed`, which may not throw either.
#pragma once

#include <exception>

namespace common {

namespace detail {
template <class Failed>
void reportFailure(Failed& failed, const char* what) noexcept {
  try {
    failed(what);
  } catch (...) {
  }
}
}  // namespace detail

// True when `body` returned normally.
template <class Body, class Failed>
bool callWithoutThrowing(Body&& body, Failed&& failed) noexcept {
  try {
    body();
    return true;
  } catch (const std::exception& e) {
    detail::reportFailure(failed, e.what());
  } catch (...) {
    detail::reportFailure(failed, "an exception of unknown type");
  }
  return false;
}

}  // namespace common
