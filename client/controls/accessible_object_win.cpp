#include "client/controls/accessible_object_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <atomic>

#include "client/controls/accessible_state.h"
#include "common/process/library_function_win.h"

namespace tarvo {
namespace {

static_assert(accessible_state::kUnavailable == STATE_SYSTEM_UNAVAILABLE &&
              accessible_state::kFocused == STATE_SYSTEM_FOCUSED &&
              accessible_state::kPressed == STATE_SYSTEM_PRESSED &&
              accessible_state::kChecked == STATE_SYSTEM_CHECKED &&
              accessible_state::kHotTracked == STATE_SYSTEM_HOTTRACKED &&
              accessible_state::kFocusable == STATE_SYSTEM_FOCUSABLE &&
              accessible_state::kProtected == STATE_SYSTEM_PROTECTED);

// The accessibility library, loaded when a screen reader first asks: the
// client does not load it otherwise.
struct Oleacc {
  const HMODULE module = LoadLibraryW(L"oleacc.dll");
  const decltype(&AccessibleObjectFromWindow) accessibleObjectFromWindow =
      LibraryFunction<decltype(&AccessibleObjectFromWindow)>(module, "AccessibleObjectFromWindow");
  const decltype(&CreateStdAccessibleObject) createStdAccessibleObject =
      LibraryFunction<decltype(&CreateStdAccessibleObject)>(module, "CreateStdAccessibleObject");
  const decltype(&LresultFromObject) lresultFromObject =
      LibraryFunction<decltype(&LresultFromObject)>(module, "LresultFromObject");

  bool loaded() const { return accessibleObjectFromWindow && createStdAccessibleObject && lresultFromObject; }
};

const Oleacc& Library() {
  static const Oleacc library;  // first asked on the window's thread
  return library;
}

// The object is handed to the screen reader through COM, which needs an
// apartment on this thread; the first browser pane would make one, but a
// screen reader may ask before any pane exists (the login window). Joined
// here, when first asked, so that start-up pays nothing for it; the thread
// keeps it for its life, as the browser's OLE does.
void JoinComApartment() {
  thread_local const bool joined = [] {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;  // one there already is as good
  }();
  (void)joined;
}

constexpr UINT_PTR kNamedControlId = 0x7A11;
constexpr const wchar_t* kNameProperty = L"TarvoAccessibleName";

class AccessibleControl final : public IAccessible {
 public:
  AccessibleControl(HWND control, DescribeControl describe, IAccessible* system)
      : control_(control), describe_(describe), system_(system) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, __uuidof(IAccessible))) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: screen readers use the interface's own methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // What the control says of itself.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    AccessibleDescription d;
    if (!IsSelf(child) || !Describe(d) || d.name.empty())
      return system_ ? system_->get_accName(child, name) : Nothing(name);
    return Text(d.name, name);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    AccessibleDescription d;
    if (!IsSelf(child) || !Describe(d) || !d.role)
      return system_ ? system_->get_accRole(child, role) : E_INVALIDARG;
    return Number(*d.role, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    AccessibleDescription d;
    if (!IsSelf(child) || !Describe(d) || !d.state)
      return system_ ? system_->get_accState(child, state) : E_INVALIDARG;
    return Number(static_cast<long>(*d.state), state);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    AccessibleDescription d;
    if (!IsSelf(child) || !Describe(d) || d.defaultAction.empty())
      return system_ ? system_->get_accDefaultAction(child, action) : Nothing(action);
    return Text(d.defaultAction, action);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    AccessibleDescription d;
    if (!IsSelf(child) || !Describe(d) || d.defaultAction.empty())
      return system_ ? system_->accDoDefaultAction(child) : DISP_E_MEMBERNOTFOUND;
    // The notification a click sends, through the same parent hook and
    // handler (a check box flips first). Posted: the action may open a modal
    // window, and the screen reader must not wait for it to close. Unlike
    // BM_CLICK it does not depend on the window being active.
    if (!CanBeUsed(control_)) return E_FAIL;
    const WPARAM clicked = MAKEWPARAM(GetDlgCtrlID(control_), BN_CLICKED);
    return PostMessageW(GetParent(control_), WM_COMMAND, clicked, reinterpret_cast<LPARAM>(control_))
               ? S_OK
               : E_FAIL;
  }

  // The rest is the system's object's, where the system has one for the
  // control (Wine has none for buttons); otherwise the plain answers.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (system_) return system_->get_accParent(parent);
    return Library().accessibleObjectFromWindow(control_, OBJID_WINDOW, __uuidof(IDispatch),
                                                reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (system_) return system_->get_accChildCount(count);
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (system_) return system_->get_accChild(child, out);
    if (out) *out = nullptr;
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return system_ ? system_->get_accValue(child, value) : Nothing(value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return system_ ? system_->get_accDescription(child, text) : Nothing(text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return system_ ? system_->get_accHelp(child, help) : Nothing(help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    if (system_) return system_->get_accHelpTopic(file, child, topic);
    if (topic) *topic = 0;
    return Nothing(file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return system_ ? system_->get_accKeyboardShortcut(child, shortcut) : Nothing(shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (system_) return system_->get_accFocus(focus);
    if (focus == nullptr) return E_POINTER;
    VariantInit(focus);
    if (GetFocus() != control_) return S_FALSE;
    focus->vt = VT_I4;
    focus->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (system_) return system_->get_accSelection(selection);
    if (selection) VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (system_) return system_->accSelect(flags, child);
    if (!IsSelf(child) || flags != SELFLAG_TAKEFOCUS) return E_NOTIMPL;
    return SetFocus(control_) != nullptr || GetFocus() == control_ ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (system_) return system_->accLocation(left, top, width, height, child);
    RECT box{};
    if (!left || !top || !width || !height) return E_POINTER;
    if (!IsSelf(child) || !GetWindowRect(control_, &box)) return E_INVALIDARG;
    *left = box.left;
    *top = box.top;
    *width = box.right - box.left;
    *height = box.bottom - box.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (system_) return system_->accNavigate(direction, start, end);
    if (end) VariantInit(end);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    if (system_) return system_->accHitTest(x, y, child);
    if (child == nullptr) return E_POINTER;
    VariantInit(child);
    RECT box{};
    if (!GetWindowRect(control_, &box) || x < box.left || x >= box.right || y < box.top || y >= box.bottom)
      return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AccessibleControl() {
    if (system_) system_->Release();
  }

  static HRESULT Nothing(BSTR* out) {
    if (out) *out = nullptr;
    return S_FALSE;
  }

  static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
  // Asked anew each time: the face (and so the name) may have changed, and a
  // control that is gone says nothing.
  bool Describe(AccessibleDescription& d) const { return IsWindow(control_) && describe_(control_, d); }

  static HRESULT Text(const std::wstring& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT Number(long value, VARIANT* out) {
    if (out == nullptr) return E_POINTER;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
  }

  const HWND control_;
  const DescribeControl describe_;
  IAccessible* const system_;
  std::atomic<ULONG> references_{1};
};

// The name SetAccessibleName gave `control`.
bool DescribeNamedControl(HWND control, AccessibleDescription& description) {
  const auto* name = static_cast<const std::wstring*>(GetPropW(control, kNameProperty));
  if (name == nullptr) return false;
  ControlLook look;
  look.enabled = CanBeUsed(control);
  look.focused = GetFocus() == control;
  look.secret = (GetWindowLongPtrW(control, GWL_STYLE) & ES_PASSWORD) != 0;
  description.name = *name;
  description.role = ROLE_SYSTEM_TEXT;
  description.state = AccessibleStateBits(look);
  return true;
}

LRESULT CALLBACK NamedControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == WM_GETOBJECT) {
    if (const LRESULT answer = AnswerGetObject(control, wParam, lParam, DescribeNamedControl)) return answer;
  } else if (msg == WM_NCDESTROY) {
    delete static_cast<std::wstring*>(RemovePropW(control, kNameProperty));
    RemoveWindowSubclass(control, NamedControlProc, kNamedControlId);
  }
  return DefSubclassProc(control, msg, wParam, lParam);
}

}  // namespace

bool SetAccessibleName(HWND control, std::wstring_view name) {
  auto* kept = new std::wstring(name);
  auto* earlier = static_cast<std::wstring*>(GetPropW(control, kNameProperty));
  if (!SetPropW(control, kNameProperty, kept)) {
    delete kept;
    return false;
  }
  delete earlier;
  return SetWindowSubclass(control, NamedControlProc, kNamedControlId, 0) != FALSE;
}

bool CanBeUsed(HWND control) {
  if (!IsWindowEnabled(control)) return false;
  const HWND top = GetAncestor(control, GA_ROOT);
  return top == nullptr || IsWindowEnabled(top);
}

LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, DescribeControl describe) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
  JoinComApartment();
  AccessibleDescription probe;
  if (!IsWindow(control) || !describe(control, probe)) return 0;
  IAccessible* system = nullptr;  // may stay null: the plain answers then
  if (!Library().loaded()) return 0;
  if (FAILED(Library().createStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&system))))
    system = nullptr;
  auto* object =
      new AccessibleControl(control, describe, system);  // takes the system object's reference, if any
  const LRESULT result =
      Library().lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
  object->Release();  // the result holds its own reference
  return result < 0 ? 0 : result;
}

}  // namespace tarvo
