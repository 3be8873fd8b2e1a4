// The guard of the public functions whose work allocates: no exception crosses the library's
// interface, and an allocation failure becomes the function's failure result.
#pragma once

namespace kiv::platform {

// Runs `body` and returns its result, or `failure` when it throws.
template <class Result, class Body> Result noThrow(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

// Runs `body`; an exception ends it and goes no further.
template <class Body> void noThrow(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

} // namespace kiv::platform
