// The status envelope and the days-left rule.
#include "client/base/texts.h"
#include "client/protocol/replies.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvo;
  const std::wstring reply = fuzz::Text(data, size);
  if (const auto payload = StatusPayload(reply)) {
    TARVO_FUZZ_CHECK(!payload->empty() && *payload != L"error");
    TARVO_FUZZ_CHECK(payload->size() < reply.size());
    JudgeStatusPayload(*payload);
    const std::wstring days = texts::DaysLeftText(DaysFromMinutes(*payload));
    TARVO_FUZZ_CHECK(days.size() >= 2 && days.back() == L'일');
  }
  return 0;
}
