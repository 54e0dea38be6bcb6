// The version, sign-in, confirmation and join replies.
#include "client/protocol/replies.h"
#include "client/protocol/scramble.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvo;
  const std::wstring reply = fuzz::Text(data, size);

  const VersionReply version = ParseVersionReply(reply);
  if (JudgeVersion(version, L"1.0.2.6") == VersionVerdict::UpToDate) TARVO_FUZZ_CHECK(version.newestVersion == L"1.0.2.6");

  const auto confirm = ParseConfirmReply(reply);
  // Accepted sign-ins confirm, unless their session code could not travel in a request line.
  TARVO_FUZZ_CHECK(confirm.has_value() == (IsSignInAccepted(reply) && IsUsableSessionCode(FieldAt(reply, 0))));
  if (confirm) TARVO_FUZZ_CHECK(confirm->randCode == FieldAt(reply, 0));
  if (confirm && confirm->serviceUnused) TARVO_FUZZ_CHECK(confirm->minutesLeft == L"0" && confirm->days == 0);

  const JoinReply join = ParseJoinReply(reply);
  if (!join.serviceUnused) {
    // The fields are the scrambled reply's first three comma-separated parts.
    const std::wstring plain = ScrambleText(reply);
    TARVO_FUZZ_CHECK(plain.compare(0, join.vpnServer.size(), join.vpnServer) == 0);
    TARVO_FUZZ_CHECK(join.vpnServer.size() + join.vpnUser.size() + join.vpnPassword.size() <= plain.size());
  }
  return 0;
}
