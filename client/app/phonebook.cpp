#include "client/app/phonebook.h"

#include "client/base/app_settings.h"
#include "client/system/file_io.h"

namespace tarvo {

// The PPTP entry "Tarvo". It names no server and holds no credentials: the
// dial supplies the server address as the phone number, and the user name
// and password, each time.
std::wstring_view PhonebookText() {
  static constexpr std::wstring_view kText =
    L"[Tarvo]\n"
    L"Encoding=1\n"
    L"PBVersion=1\n"
    L"Type=2\n"
    L"AutoLogon=0\n"
    L"UseRasCredentials=1\n"
    L"LowDateTime=983702896\n"
    L"HighDateTime=30384524\n"
    L"DialParamsUID=2460790\n"
    L"Guid=88428C5C701C59439E83F0A9A0DB05CA\n"
    L"VpnStrategy=1\n"
    L"ExcludedProtocols=8\n"
    L"LcpExtensions=1\n"
    L"DataEncryption=0\n"
    L"SwCompression=0\n"
    L"NegotiateMultilinkAlways=0\n"
    L"SkipDoubleDialDialog=0\n"
    L"DialMode=0\n"
    L"OverridePref=15\n"
    L"RedialAttempts=0\n"
    L"RedialSeconds=1\n"
    L"IdleDisconnectSeconds=0\n"
    L"RedialOnLinkFailure=0\n"
    L"CallbackMode=0\n"
    L"CustomDialDll=\n"
    L"CustomDialFunc=\n"
    L"CustomRasDialDll=\n"
    L"ForceSecureCompartment=0\n"
    L"DisableIKENameEkuCheck=0\n"
    L"AuthenticateServer=0\n"
    L"ShareMsFilePrint=0\n"
    L"BindMsNetClient=0\n"
    L"SharedPhoneNumbers=0\n"
    L"GlobalDeviceSettings=0\n"
    L"PrerequisiteEntry=\n"
    L"PrerequisitePbk=\n"
    L"PreferredPort=VPN3-0\n"
    L"PreferredDevice=WAN Miniport (PPTP)\n"
    L"PreferredBps=0\n"
    L"PreferredHwFlow=1\n"
    L"PreferredProtocol=1\n"
    L"PreferredCompression=1\n"
    L"PreferredSpeaker=1\n"
    L"PreferredMdmProtocol=0\n"
    L"PreviewUserPw=1\n"
    L"PreviewDomain=1\n"
    L"PreviewPhoneNumber=0\n"
    L"ShowDialingProgress=1\n"
    L"ShowMonitorIconInTaskBar=1\n"
    L"CustomAuthKey=0\n"
    L"AuthRestrictions=544\n"
    L"IpPrioritizeRemote=1\n"
    L"IpInterfaceMetric=0\n"
    L"IpHeaderCompression=0\n"
    L"IpAddress=0.0.0.0\n"
    L"IpDnsAddress=0.0.0.0\n"
    L"IpDns2Address=0.0.0.0\n"
    L"IpWinsAddress=0.0.0.0\n"
    L"IpWins2Address=0.0.0.0\n"
    L"IpAssign=1\n"
    L"IpNameAssign=1\n"
    L"IpDnsFlags=0\n"
    L"IpNBTFlags=1\n"
    L"TcpWindowSize=0\n"
    L"UseFlags=2\n"
    L"IpSecFlags=0\n"
    L"IpDnsSuffix=\n"
    L"Ipv6Assign=1\n"
    L"Ipv6Address=::\n"
    L"Ipv6PrefixLength=0\n"
    L"Ipv6PrioritizeRemote=0\n"
    L"Ipv6InterfaceMetric=0\n"
    L"Ipv6NameAssign=1\n"
    L"Ipv6DnsAddress=::\n"
    L"Ipv6Dns2Address=::\n"
    L"Ipv6Prefix=0000000000000000\n"
    L"Ipv6InterfaceId=0000000000000000\n"
    L"DisableClassBasedDefaultRoute=0\n"
    L"DisableMobility=0\n"
    L"NetworkOutageTime=0\n"
    L"ProvisionType=0\n"
    L"PreSharedKey=\n"
    L"\n"
    L"NETCOMPONENTS=\n"
    L"ms_msclient=0\n"
    L"ms_server=0\n"
    L"\n"
    L"MEDIA=rastapi\n"
    L"Port=VPN3-0\n"
    L"Device=WAN Miniport (PPTP)\n"
    L"\n"
    L"DEVICE=vpn\n"
    L"PhoneNumber=\n"
    L"AreaCode=\n"
    L"CountryCode=0\n"
    L"CountryID=0\n"
    L"UseDialingRules=0\n"
    L"Comment=\n"
    L"FriendlyName=\n"
    L"LastSelectedPhone=0\n"
    L"PromoteAlternates=0\n"
    L"TryNextAlternateOnFail=1\n"
  ;
  return kText;
}

std::string PhonebookFileBytes() {
  std::string bytes;
  for (wchar_t c : PhonebookText()) {
    if (c == L'\n') bytes += '\r';
    bytes += static_cast<char>(c);  // the text is ASCII
  }
  return bytes;
}

std::filesystem::path PhonebookFilePath(const std::filesystem::path& programFolder) {
  return programFolder / std::wstring(PhonebookFileName);
}

bool WritePhonebookFile(const std::filesystem::path& programFolder) {
  return ReplaceFileContents(PhonebookFilePath(programFolder), PhonebookFileBytes());
}

}  // namespace tarvo
