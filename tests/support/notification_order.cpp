#include "tests/support/notification_order.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/dialog.h"

namespace ombrix::test {
namespace {

class RecordingHandler final : public platform::DialogHandler {
 public:
  bool OnInitDialog() override { return true; }
  void OnCommand(int) override {}
  void OnSysCommand(std::uint32_t) override {}
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wparam, std::intptr_t) override {
    std::lock_guard lock(mutex_);
    handled_.push_back({message, wparam});
    return 0;
  }
  std::vector<HandledMessage> Handled() {
    std::lock_guard lock(mutex_);
    return handled_;
  }

 private:
  std::mutex mutex_;
  std::vector<HandledMessage> handled_;
};

}  // namespace

std::vector<HandledMessage> NotifyThenSend(const platform::DialogTemplate& dialog,
                                           const std::function<void()>& serve) {
  RecordingHandler handler;
  const std::unique_ptr<platform::DialogHost> window =
      platform::MakeDialog(dialog, handler, nullptr);
  window->ShowModeless();
  serve();

  std::atomic<bool> notified{false};
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    for (std::uintptr_t percent = 1; percent <= 2000; ++percent) {
      window->Notify(kNotifiedMessage, percent, 0);
    }
    notified = true;
    window->Send(kSentMessage, 0, 0);
    window->Notify(kNotifiedMessage, 5000, 0);
    finished = true;
  });
  // The dialog's thread serves nothing until every notification is in.
  while (!notified) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // Until the worker's send is answered, then until its last notification is handled or a
  // generous while has passed.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!finished) serve();
  while (std::chrono::steady_clock::now() < deadline &&
         (handler.Handled().empty() ||
          handler.Handled().back() != HandledMessage{kNotifiedMessage, 5000})) {
    serve();
  }
  worker.join();
  window->EndDialog(0);
  serve();
  return handler.Handled();
}

}  // namespace ombrix::test
