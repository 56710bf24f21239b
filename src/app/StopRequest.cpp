#include "app/StopRequest.h"

namespace morvelle {
namespace {

static_assert(std::atomic<bool>::is_always_lock_free,
              "a signal handler may only touch a lock-free atomic");

std::atomic<bool> stop_requested{false};

}  // namespace

const std::atomic<bool>& StopRequested() { return stop_requested; }

void RequestStop() { stop_requested.store(true); }

}  // namespace morvelle
