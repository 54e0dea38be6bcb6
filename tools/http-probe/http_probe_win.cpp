// tarvo-http-probe: one exchange through the client's HTTP transport, for the
// end-to-end tests.
//   tarvo-http-probe <url> <reply-file> [--cancel-after MS] [--deadline MS]
// --deadline replaces the exchange's own deadline (a shorter one keeps the
// tests quick). Writes the reply text as UTF-8 to <reply-file> and prints
// "status=<n> chars=<n> ms=<elapsed>" on stdout.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "client/protocol/http_transport_win.h"

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const auto usage = [] {
    std::fprintf(stderr, "usage: tarvo-http-probe <url> <reply-file> [--cancel-after MS] [--deadline MS]\n");
    return 2;
  };
  if (argc < 3 || (argc - 3) % 2 != 0) return usage();
  int cancelAfterMs = -1;
  tarvo::ExchangeLimits limits;
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::wstring option = argv[i];
    const int value = _wtoi(argv[i + 1]);
    if (option == L"--cancel-after")
      cancelAfterMs = value;
    else if (option == L"--deadline")
      limits.deadline = std::chrono::milliseconds(value);
    else
      return usage();
  }
  const std::wstring url = argv[1];
  std::wstring reply;
  tarvo::RequestStatus status = 0;
  const auto started = std::chrono::steady_clock::now();
  {
    std::jthread worker(
        [&](std::stop_token stop) { status = tarvo::SendServerRequest(reply, url, stop, limits); });
    if (cancelAfterMs >= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(cancelAfterMs));
      worker.request_stop();
    }
    worker.join();  // a jthread that is merely destroyed would be asked to stop first
  }
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();

  FILE* out = _wfopen(argv[2], L"wb");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot write the reply file\n");
    return 1;
  }
  const std::string utf8 = ToUtf8(reply);
  std::fwrite(utf8.data(), 1, utf8.size(), out);
  std::fclose(out);
  std::printf("status=%lu chars=%zu ms=%lld\n", static_cast<unsigned long>(status), reply.size(),
              static_cast<long long>(elapsed));
  return 0;
}
