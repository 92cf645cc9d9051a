#include "platform/window_thread.h"

#include <future>

namespace velt::platform {

void WindowThread::Synchronize(Call call) {
  if (IsWindowThread()) {
    call();
    return;
  }
  std::promise<void> done;
  auto finished = done.get_future();
  Post([&] {
    try {
      call();
      done.set_value();
    } catch (...) {
      done.set_exception(std::current_exception());
    }
  });
  finished.get();
}

}  // namespace velt::platform
