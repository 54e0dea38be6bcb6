#include "client/system/adapter_query_win.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <memory>

#include "client/base/texts.h"
#include "client/system/ansi_codepage.h"

namespace tarvo {
namespace {

struct HeapBuffer {
  explicit HeapBuffer(ULONG size) : size(size), data(HeapAlloc(GetProcessHeap(), 0, size)) {}
  ~HeapBuffer() {
    if (data != nullptr) HeapFree(GetProcessHeap(), 0, data);
  }
  ULONG size;
  void* data;
};

}  // namespace

std::vector<AdapterRecord> ListAdapters() {
  std::vector<AdapterRecord> adapters;
  // Room for one record first; the call says how much a longer list needs.
  auto buffer = std::make_unique<HeapBuffer>(static_cast<ULONG>(sizeof(IP_ADAPTER_INFO)));
  if (buffer->data == nullptr) MessageBoxW(nullptr, texts::kAdapterListNoMemory.data(), L"", MB_OK);
  ULONG size = buffer->size;
  DWORD rc = GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(buffer->data), &size);
  if (rc == ERROR_BUFFER_OVERFLOW) {
    buffer = std::make_unique<HeapBuffer>(size);
    if (buffer->data == nullptr) MessageBoxW(nullptr, texts::kAdapterListNoMemoryAgain.data(), L"", MB_OK);
    rc = buffer->data ? GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(buffer->data), &size) : rc;
  }
  if (rc != NO_ERROR || buffer->data == nullptr) return adapters;

  for (auto* info = static_cast<IP_ADAPTER_INFO*>(buffer->data); info != nullptr; info = info->Next) {
    AdapterRecord record;
    record.type = info->Type;
    record.description = FromAnsi(info->Description);
    record.firstAddress = FromAnsi(info->IpAddressList.IpAddress.String);
    record.firstGateway = FromAnsi(info->GatewayList.IpAddress.String);
    adapters.push_back(std::move(record));
  }
  return adapters;
}

std::wstring GetVpnAddress() { return SelectVpnAddress(ListAdapters()); }

std::wstring GetDefaultGateway() { return SelectDefaultGateway(ListAdapters()); }

}  // namespace tarvo
