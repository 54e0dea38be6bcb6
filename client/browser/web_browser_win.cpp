#include "client/browser/web_browser_win.h"

#include "client/base/texts.h"
#include "client/browser/site_answers_win.h"

namespace tarvo {
namespace {

struct ScreenPixelsPerInch {
  int x;
  int y;
};

// Read from the screen once, on first use, for every host of the process.
const ScreenPixelsPerInch& PixelsPerInch() {
  static const ScreenPixelsPerInch cached = [] {
    HDC screen = GetDC(nullptr);
    const ScreenPixelsPerInch read{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    return read;
  }();
  return cached;
}

void ShowCreationError(std::wstring_view text) {
  MessageBoxW(nullptr, std::wstring(text).c_str(), texts::kBrowserErrorTitle.data(), MB_ICONERROR);
}

}  // namespace

WebBrowser::WebBrowser(HWND parent) : parentWindow(parent) {
  // OLE is started by the first browser pane, on the window's thread, and
  // stays for the process's life: nothing before the session window needs it.
  static const HRESULT oleStarted = OleInitialize(nullptr);
  (void)oleStarted;
  void* created = nullptr;
  if (FAILED(OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr, ClientSite(), Storage(),
                       &created)) ||
      created == nullptr) {
    ShowCreationError(texts::kBrowserNotCreated);
    return;
  }
  oleObject = static_cast<IOleObject*>(created);
  oleObject->SetClientSite(ClientSite());
  OleSetContainedObject(oleObject, TRUE);

  RECT startRect{-300, -300, 300, 300};
  if (FAILED(
          oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, ClientSite(), -1, parentWindow, &startRect))) {
    ShowCreationError(texts::kBrowserNotShown);
    return;
  }
  IWebBrowser2* browser = nullptr;
  if (FAILED(oleObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser))) ||
      browser == nullptr) {
    ShowCreationError(texts::kBrowserNoInterface);
    return;
  }
  webBrowser2 = browser;

  if (browserWindow == nullptr && inPlaceObject != nullptr) inPlaceObject->GetWindow(&browserWindow);
  if (browserWindow != nullptr) ShowWindow(browserWindow, SW_SHOW);
  Navigate(L"about:blank");
}

void WebBrowser::Navigate(const std::wstring& url) {
  if (!Created()) return;
  BSTR address = SysAllocString(url.c_str());
  if (address == nullptr) return;
  VARIANT flags;
  VariantInit(&flags);
  V_VT(&flags) = VT_I4;  // the type the browser documents for its flags
  V_I4(&flags) = navNoHistory;
  VARIANT none;
  VariantInit(&none);
  webBrowser2->Navigate(address, &flags, &none, &none, &none);
  SysFreeString(address);
}

void WebBrowser::Close() {
  if (closed) return;
  closed = true;
  AddRef();  // the host stays alive until the end of this call
  if (webBrowser2 != nullptr) {
    webBrowser2->Stop();
    webBrowser2->Release();
    webBrowser2 = nullptr;
  }
  if (inPlaceObject != nullptr) inPlaceObject->InPlaceDeactivate();  // calls back OnInPlaceDeactivate
  if (inPlaceObject != nullptr) {
    inPlaceObject->Release();
    inPlaceObject = nullptr;
  }
  if (oleObject != nullptr) {
    if (lockedRunning) OleLockRunning(oleObject, FALSE, TRUE);
    lockedRunning = false;
    oleObject->Close(OLECLOSE_NOSAVE);
    oleObject->SetClientSite(nullptr);
    oleObject->Release();
    oleObject = nullptr;
  }
  browserWindow = nullptr;
  Release();
}

void WebBrowser::SetRect(const RECT& newRect) {
  if (!Created()) return;
  rect = newRect;
  const ScreenPixelsPerInch& dpi = PixelsPerInch();
  SIZEL size = HimetricExtent(rect, dpi.x, dpi.y);
  oleObject->SetExtent(DVASPECT_CONTENT, &size);
  if (inPlaceObject != nullptr) inPlaceObject->SetObjectRects(&rect, &rect);
}

// ---- IUnknown ----------------------------------------------------------------

HRESULT WebBrowser::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  switch (InterfaceFor(riid)) {
    case SiteInterface::kClientSite:
      *object = ClientSite();
      break;
    case SiteInterface::kInPlaceSite:
      *object = static_cast<IOleInPlaceSite*>(this);
      break;
    case SiteInterface::kStorage:
      *object = Storage();
      break;
    case SiteInterface::kNone:
      *object = nullptr;
      return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG WebBrowser::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refCount)); }

// Before Close() the host outlives every reference the browser holds; after
// it, the last Release frees the host.
ULONG WebBrowser::Release() {
  const LONG left = InterlockedDecrement(&refCount);
  if (left == 0 && closed) delete this;
  return static_cast<ULONG>(left);
}

// ---- IOleClientSite ------------------------------------------------------------

HRESULT WebBrowser::SaveObject() { return E_NOTIMPL; }

HRESULT WebBrowser::GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return MonikerAnswer(assign, which);
}

HRESULT WebBrowser::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT WebBrowser::ShowObject() { return S_OK; }
HRESULT WebBrowser::OnShowWindow(BOOL /*show*/) { return S_OK; }
HRESULT WebBrowser::RequestNewObjectLayout() { return E_NOTIMPL; }

// ---- IOleInPlaceSite -----------------------------------------------------------

HRESULT WebBrowser::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = parentWindow;
  return S_OK;
}

HRESULT WebBrowser::ContextSensitiveHelp(BOOL /*enterMode*/) { return E_NOTIMPL; }
HRESULT WebBrowser::CanInPlaceActivate() { return S_OK; }

HRESULT WebBrowser::OnInPlaceActivate() {
  // Called back from DoVerb, once oleObject is known.
  if (oleObject == nullptr) return S_OK;
  if (!lockedRunning && SUCCEEDED(OleLockRunning(oleObject, TRUE, FALSE))) lockedRunning = true;
  if (inPlaceObject != nullptr) return S_OK;  // activated again: the object is already held
  IOleInPlaceObject* object = nullptr;
  if (SUCCEEDED(oleObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&object))) &&
      object != nullptr) {
    inPlaceObject = object;
    inPlaceObject->SetObjectRects(&rect, &rect);
  }
  return S_OK;
}

HRESULT WebBrowser::OnUIActivate() { return S_OK; }

HRESULT WebBrowser::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                     LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  FillWindowContext(rect, parentWindow, frame, document, position, clip, frameInfo);
  return S_OK;
}

HRESULT WebBrowser::Scroll(SIZE /*extent*/) { return E_NOTIMPL; }
HRESULT WebBrowser::OnUIDeactivate(BOOL /*undoable*/) { return S_OK; }

HRESULT WebBrowser::OnInPlaceDeactivate() {
  if (IOleInPlaceObject* object = inPlaceObject) {
    inPlaceObject = nullptr;
    object->Release();
  }
  browserWindow = nullptr;
  return S_OK;
}

HRESULT WebBrowser::DiscardUndoState() { return E_NOTIMPL; }
HRESULT WebBrowser::DeactivateAndUndo() { return E_NOTIMPL; }
HRESULT WebBrowser::OnPosRectChange(LPCRECT /*position*/) { return E_NOTIMPL; }

// ---- IStorage -----------------------------------------------------------------

HRESULT WebBrowser::CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream**) { return E_NOTIMPL; }
HRESULT WebBrowser::OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream**) { return E_NOTIMPL; }
HRESULT WebBrowser::CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage**) { return E_NOTIMPL; }
HRESULT WebBrowser::OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) {
  return E_NOTIMPL;
}
HRESULT WebBrowser::CopyTo(DWORD, const IID*, SNB, IStorage*) { return E_NOTIMPL; }
HRESULT WebBrowser::MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) { return E_NOTIMPL; }
HRESULT WebBrowser::Commit(DWORD) { return E_NOTIMPL; }
HRESULT WebBrowser::Revert() { return E_NOTIMPL; }
HRESULT WebBrowser::EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**) { return E_NOTIMPL; }
HRESULT WebBrowser::DestroyElement(const OLECHAR*) { return E_NOTIMPL; }
HRESULT WebBrowser::RenameElement(const OLECHAR*, const OLECHAR*) { return E_NOTIMPL; }
HRESULT WebBrowser::SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*, const FILETIME*) {
  return E_NOTIMPL;
}
HRESULT WebBrowser::SetClass(REFCLSID) { return S_OK; }
HRESULT WebBrowser::SetStateBits(DWORD, DWORD) { return E_NOTIMPL; }
HRESULT WebBrowser::Stat(STATSTG*, DWORD) { return E_NOTIMPL; }

}  // namespace tarvo
