// The main window as the receiver of the browser extension's links: the receiver runs on its
// own thread while the settings turn it on, and every request's links come to the list here,
// on the window's thread.
#include "app/platform/text.h"
#include "app/receive/loopback_socket.h"
#include "app/resources/version.h"
#include "app/settings/settings_keys.h"
#include "app/shell/main_window.h"
#include "app/shell/received_links.h"

namespace cardo {

void frmMain::ApplyReceiver() {
  Settings& settings = services_.settings;
  if (SettingInRange<&Settings::ReceiveLinks>(settings) != 1) {
    receiver_.reset();
    return;
  }
  if (settings.ReceiveToken.empty()) settings.ReceiveToken = Utf8ToUtf16(NewReceiverToken());
  ReceiverSettings wanted{
      static_cast<unsigned short>(SettingInRange<&Settings::ReceivePort>(settings)),
      Utf16ToUtf8(settings.ReceiveToken), CARDO_VERSION_TEXT, std::nullopt, UrlForm::Wire};
  if (receiver_ && receiver_->settings().port == wanted.port &&
      receiver_->settings().token == wanted.token) {
    return;
  }
  // The old one lets its port go before the new one takes it.
  receiver_.reset();
  receiver_ = std::make_unique<LinkReceiver>(hwnd(), kLinksReceivedMessage, kReceiverFailedMessage,
                                             std::move(wanted));
}

void frmMain::Receiver_Delivered(LPARAM delivery) {
  std::shared_ptr<LinkReceiver::Delivery> taken = LinkReceiver::TakeDelivery(delivery);
  if (!taken) return;
  if (closing_) {
    deliveriesWhileClosing_.push_back(std::move(taken));
    return;
  }
  TakeReceivedLinks(*taken);
}

void frmMain::TakeReceivedLinks(LinkReceiver::Delivery& delivery) {
  // A request that only asks for the room changes nothing.
  if (delivery.links.empty()) {
    delivery.Settle(0, ListRoom(shell_->list));
    return;
  }
  const ReceivedIntoList result = AddReceivedLinks(delivery.links, *shell_);
  delivery.Settle(result.added, result.room);
  SetStatusNote(ReceivedNote(result));
}

void frmMain::Receiver_Failed(LPARAM reason) {
  const std::u16string why = LinkReceiver::TakeFailure(reason);
  const unsigned port =
      static_cast<unsigned>(SettingInRange<&Settings::ReceivePort>(services_.settings));
  SetStatusNote(why == Utf8ToUtf16(kPortTaken)
                    ? u"ブラウザから受け取れません: ポート " + DecimalText(port) + u" は使用中です"
                    : u"ブラウザから受け取れません: ポート " + DecimalText(port) + u": " + why);
}

}  // namespace cardo
