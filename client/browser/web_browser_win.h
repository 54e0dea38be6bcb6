#pragma once
// A minimal OLE container for the system's web browser object: it creates its
// own browser, activates it in place inside a given window and navigates it
// without history. One host per web pane; a host is created with `new` and
// lives until Close() (the pane's window is going away), after which it
// frees itself once the browser has released its last reference to it.
//
//   auto* host = new WebBrowser(pane.hwnd());
//   host->Navigate(url);
//   host->SetRect(pane.ClientRect());
//   ...
//   host->Close();  // before the pane's window is destroyed; `host` is gone

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <string>

namespace tarvo {

class WebBrowser final : public IOleClientSite, public IOleInPlaceSite, public IStorage {
 public:
  // Creates the browser in `parent`, activates it there and shows
  // "about:blank". A step that fails says so in a message box and leaves the
  // host inert: nothing shown, and Navigate and SetRect do nothing.
  explicit WebBrowser(HWND parent);
  WebBrowser(const WebBrowser&) = delete;
  WebBrowser& operator=(const WebBrowser&) = delete;

  void Navigate(const std::wstring& url);

  // Deactivates and closes the browser, gives up every reference to it and
  // lets the host go. The caller must not use the host afterwards.
  void Close();

  // Appended to the client-site table: moves and sizes the browser within the
  // parent (`rect` in the parent's client pixels).
  virtual void SetRect(const RECT& rect);

  // IUnknown, shared by the three faces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override;
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO frameInfo) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

  // IStorage: the browser is never saved, so only SetClass is accepted.
  HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                         IStream** stream) override;
  HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR* name, void* reserved1, DWORD mode, DWORD reserved2,
                                       IStream** stream) override;
  HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                          IStorage** storage) override;
  HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR* name, IStorage* priority, DWORD mode, SNB exclude,
                                        DWORD reserved, IStorage** storage) override;
  HRESULT STDMETHODCALLTYPE CopyTo(DWORD excludeCount, const IID* exclude, SNB excludeNames,
                                   IStorage* destination) override;
  HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR* name, IStorage* destination, const OLECHAR* newName,
                                          DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                                         IEnumSTATSTG** elements) override;
  HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR* name) override;
  HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR* oldName, const OLECHAR* newName) override;
  HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR* name, const FILETIME* created,
                                            const FILETIME* accessed, const FILETIME* modified) override;
  HRESULT STDMETHODCALLTYPE SetClass(REFCLSID clsid) override;
  HRESULT STDMETHODCALLTYPE SetStateBits(DWORD bits, DWORD mask) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;

 private:
  // Only through Release() once closed: see above.
  ~WebBrowser() = default;

  IOleClientSite* ClientSite() { return static_cast<IOleClientSite*>(this); }
  IStorage* Storage() { return static_cast<IStorage*>(this); }
  bool Created() const { return webBrowser2 != nullptr; }

  IOleObject* oleObject = nullptr;
  IOleInPlaceObject* inPlaceObject = nullptr;
  IWebBrowser2* webBrowser2 = nullptr;
  LONG refCount = 0;
  bool lockedRunning = false;
  bool closed = false;
  RECT rect{0, 0, 320, 171};
  HWND parentWindow = nullptr;
  HWND browserWindow = nullptr;
};

}  // namespace tarvo
