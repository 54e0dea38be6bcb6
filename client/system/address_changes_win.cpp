#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include "client/system/address_changes_win.h"

namespace tarvo {
namespace {

void CALLBACK OnAddressChange(void* context, MIB_UNICASTIPADDRESS_ROW* /*row*/, MIB_NOTIFICATION_TYPE type) {
  if (type == MibInitialNotification) return;
  const auto* watch = static_cast<const AddressChangeWatch*>(context);
  watch->Post();
}

}  // namespace

void AddressChangeWatch::Start(HWND window, UINT message) {
  Stop();
  window_ = window;
  message_ = message;
  if (NotifyUnicastIpAddressChange(AF_UNSPEC, OnAddressChange, this, FALSE, &notification_) != NO_ERROR)
    notification_ = nullptr;
}

void AddressChangeWatch::Stop() {
  if (notification_ != nullptr) CancelMibChangeNotify2(notification_);
  notification_ = nullptr;
}

void AddressChangeWatch::Post() const { PostMessageW(window_, message_, 0, 0); }

}  // namespace tarvo
