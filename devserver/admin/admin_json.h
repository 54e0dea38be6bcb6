#pragma once
// The JSON forms in which the admin interface shows the server's data.

#include "devserver/store/account_store.h"
#include "devserver/service/fault_injector.h"
#include "devserver/admin/json.h"
#include "devserver/service/request_log.h"
#include "devserver/service/service_settings.h"
#include "devserver/service/service_state.h"
#include "devserver/store/session_store.h"

namespace tarvo::devserver {

Json AccountJson(const Account& account, std::int64_t nowMs);
Json ConfigJson(const SettingsSnapshot& settings);
Json VpnCredentialJson(const VpnCredential& credential);
Json FaultJson(const FaultRule& rule);
// The head's bytes appear as Latin-1 code points (see BytesAsLatin1Utf8) and,
// exactly, as base64.
Json LoggedRequestJson(const LoggedRequest& request);
// Sessions and leave events.
Json StateJson(ServiceState& state);

}  // namespace tarvo::devserver
