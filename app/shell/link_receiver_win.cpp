#include "app/shell/link_receiver_win.h"

#include <chrono>

#include "app/platform/text.h"

namespace cardo {
namespace {

// How often a request waiting for the window looks whether the receiver is stopping.
constexpr auto kStopCheck = std::chrono::milliseconds(50);

template <typename T>
bool PostOwned(HWND window, UINT message, std::unique_ptr<T> payload) {
  if (!PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(payload.get()))) return false;
  payload.release();
  return true;
}

}  // namespace

void LinkReceiver::Delivery::Settle(std::size_t added, std::size_t room) {
  {
    const std::lock_guard lock(mutex_);
    settled_ = true;
    added_ = added;
    room_ = room;
  }
  settledChanged_.notify_all();
}

LinkReceiver::LinkReceiver(HWND window, UINT delivered, UINT failed, ReceiverSettings settings)
    : window_(window), delivered_(delivered), failed_(failed), settings_(std::move(settings)) {
  settings_.room.reset();
  thread_ = std::thread([this] {
    LinkService service;
    service.listening = [] {};
    service.cannotListen = [this](const std::string& why) {
      PostOwned(window_, failed_, std::make_unique<std::u16string>(Utf8ToUtf16(why)));
    };
    service.answer = [this](const RequestReader& reader) { return Answer(reader); };
    ServeLinks(settings_.port, session_, service);
  });
}

LinkReceiver::~LinkReceiver() {
  session_.Stop();
  thread_.join();
  // Deliveries the window has not read yet go with the receiver.
  MSG message;
  while (PeekMessageW(&message, window_, delivered_, delivered_, PM_REMOVE)) {
    TakeDelivery(message.lParam);
  }
  while (PeekMessageW(&message, window_, failed_, failed_, PM_REMOVE)) TakeFailure(message.lParam);
}

std::optional<ReceiverAnswer> LinkReceiver::Answer(const RequestReader& reader) {
  ReceiverAnswer answer = AnswerRequest(reader, settings_);
  if (answer.kind == ReceiverAnswer::Kind::Other) return answer;
  auto delivery = std::make_shared<Delivery>();
  delivery->links = std::move(answer.links);
  if (!PostOwned(window_, delivered_, std::make_unique<std::shared_ptr<Delivery>>(delivery))) {
    return std::nullopt;
  }
  std::unique_lock lock(delivery->mutex_);
  while (!delivery->settled_) {
    if (session_.Stopped()) return std::nullopt;
    delivery->settledChanged_.wait_for(lock, kStopCheck);
  }
  answer.links = std::move(delivery->links);
  SettleAnswer(answer, delivery->added_, delivery->room_, settings_.version);
  return answer;
}

std::shared_ptr<LinkReceiver::Delivery> LinkReceiver::TakeDelivery(LPARAM lParam) {
  const std::unique_ptr<std::shared_ptr<Delivery>> owned(
      reinterpret_cast<std::shared_ptr<Delivery>*>(lParam));
  return owned ? *owned : nullptr;
}

std::u16string LinkReceiver::TakeFailure(LPARAM lParam) {
  const std::unique_ptr<std::u16string> owned(reinterpret_cast<std::u16string*>(lParam));
  return owned ? *owned : std::u16string();
}

}  // namespace cardo
