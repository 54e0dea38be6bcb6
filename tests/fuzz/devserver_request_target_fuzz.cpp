// The reference server's reading of a request target: the path, the raw
// parameters in order, the request they name.
#include <algorithm>

#include "devserver/http/request_target.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvo::devserver;
  const std::string_view raw = tarvo::fuzz::Bytes(data, size);
  const RequestTarget target = RequestTarget::Parse(raw);
  // The path is the text before the first "?", and nothing is made up.
  TARVO_FUZZ_CHECK(target.path == raw.substr(0, raw.find('?')));
  const std::size_t separators = static_cast<std::size_t>(std::count(raw.begin(), raw.end(), '&'));
  TARVO_FUZZ_CHECK(target.params.size() <= separators + 1);
  std::size_t paramBytes = 0;
  for (const auto& [name, value] : target.params) {
    paramBytes += name.size() + value.size();
    TARVO_FUZZ_CHECK(name.find('&') == std::string::npos && value.find('&') == std::string::npos);
    TARVO_FUZZ_CHECK(target.Find(name) != nullptr);
    (void)PercentDecode(value);
  }
  TARVO_FUZZ_CHECK(paramBytes <= raw.size());
  const RequestKind kind = Classify(target, "/tarvo_app/download/Tarvo_setup.exe");
  TARVO_FUZZ_CHECK(IsRequestName(NameOf(kind)));
  return 0;
}
