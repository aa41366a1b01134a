#pragma once
// The receiver of the browser extension's links while the program runs: a thread of its own
// serves the loopback port and never touches the list. It posts each request that adds links
// or asks for the room to the window, with the request's links, and waits for the window
// thread to say what the list made of them before the client hears it.
#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/receive/link_server.h"
#include "app/receive/receiver.h"

namespace cardo {

class LinkReceiver {
 public:
  // One request's links on their way to the window thread, and its answer coming back.
  class Delivery {
   public:
    std::vector<ReceivedLink> links;
    // On the window thread: the first `added` links were taken, `room` more lines fit.
    void Settle(std::size_t added, std::size_t room);

   private:
    friend class LinkReceiver;
    std::mutex mutex_;
    std::condition_variable settledChanged_;
    bool settled_ = false;
    std::size_t added_ = 0;
    std::size_t room_ = 0;
  };

  // Starts serving `settings.port` (room: none; the window answers for it). `delivered` is
  // posted to `window` with a Delivery (TakeDelivery), `failed` once when the port cannot be
  // had, with the reason (TakeFailure).
  LinkReceiver(HWND window, UINT delivered, UINT failed, ReceiverSettings settings);
  // Stops at once, a request waiting for the window included, and joins the thread.
  ~LinkReceiver();
  LinkReceiver(const LinkReceiver&) = delete;
  LinkReceiver& operator=(const LinkReceiver&) = delete;

  const ReceiverSettings& settings() const { return settings_; }

  // The payloads of the two messages, owned by the caller from then on.
  static std::shared_ptr<Delivery> TakeDelivery(LPARAM lParam);
  static std::u16string TakeFailure(LPARAM lParam);

 private:
  std::optional<ReceiverAnswer> Answer(const RequestReader& reader);

  HWND window_;
  UINT delivered_;
  UINT failed_;
  ReceiverSettings settings_;
  SocketSession session_{SocketSession::Signals::Ignore};
  std::thread thread_;
};

}  // namespace cardo
