#include "platform/win32/accessible_win32.h"

#include <commctrl.h>
#include <ole2.h>
#include <oleacc.h>

#include <atomic>
#include <new>

#include "platform/win32/barrier_win32.h"
#include "platform/win32/layout_win32.h"
#include "platform/win32/win32_text.h"

namespace kronvik {

namespace {

// Spelled out: mingw's libraries do not define IID_IAccessible.
constexpr IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr UINT_PTR kSubclassId = 0xACC;

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

std::wstring Trimmed(std::wstring text) {
    // Group box titles carry blanks, some of them full-width.
    constexpr const wchar_t* kBlanks = L" \u3000";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The system's object for one control, with the role, name, value and state
// that the form gives it. Everything else is the system's.
class AccessibleControl final : public IAccessible, public IOleWindow {
public:
    AccessibleControl(HWND window, int32_t id, const FormAccess& form, IAccessible* standard)
        : window_(window), id_(id), form_(form), standard_(standard) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIAccessible) {
            *object = static_cast<IAccessible*>(this);
        } else if (iid == IID_IOleWindow) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: the system object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* error) override {
        return standard_->Invoke(id, iid, locale, flags, parameters, result, exception, error);
    }

    // IOleWindow: WindowFromAccessibleObject asks it.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!form_.IsNumber(id_)) return standard_->get_accChildCount(count);
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (!form_.IsNumber(id_)) return standard_->get_accChild(child, object);
        if (object != nullptr) *object = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return standard_->get_accName(child, name);
        return Guarded([&] { return Text(form_.Name(id_), name); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!IsSelf(child)) return standard_->get_accValue(child, value);
        return Guarded([&] {
            const std::optional<std::wstring> own = form_.Value(id_);
            return own ? Text(*own, value) : standard_->get_accValue(child, value);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return standard_->get_accRole(child, role);
        if (role == nullptr) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = form_.Role(id_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = standard_->get_accState(child, state);
        if (SUCCEEDED(result) && IsSelf(child) && state != nullptr && state->vt == VT_I4 && form_.Checked(id_))
            state->lVal |= STATE_SYSTEM_CHECKED;
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (IsSelf(child) && IsPictureButton()) return Guarded([&] { return Text(L"押す", action); });
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        const bool inward = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
        if (!(inward && form_.IsNumber(id_))) return standard_->accNavigate(direction, start, end);
        if (end != nullptr) end->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        if (!form_.IsNumber(id_)) return standard_->accHitTest(x, y, child);
        if (child == nullptr) return E_POINTER;
        RECT rect;
        GetWindowRect(window_, &rect);
        if (!PtInRect(&rect, POINT{x, y})) {
            child->vt = VT_EMPTY;
            return S_FALSE;
        }
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!(IsSelf(child) && IsPictureButton())) return standard_->accDoDefaultAction(child);
        // As a click on the picture: its form hears STN_CLICKED.
        PostMessageW(GetParent(window_), WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id_), STN_CLICKED),
                     reinterpret_cast<LPARAM>(window_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~AccessibleControl() { standard_->Release(); }

    bool IsPictureButton() const { return form_.IsPictureButton(id_); }

    template <typename Call>
    static HRESULT Guarded(Call call) noexcept {
        try {
            return call();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
    }

    HWND window_;
    int32_t id_;
    const FormAccess& form_;
    IAccessible* standard_;
    std::atomic<ULONG> references_{1};
};

// The answer to WM_GETOBJECT for the client area of one control; 0 leaves it
// to the system.
LRESULT Answer(HWND window, WPARAM flags, const FormAccess& form) {
    const auto id = static_cast<int32_t>(GetDlgCtrlID(window));
    // A digit picture is read as its panel's number.
    if (form.IsDigit(id)) return SendMessageW(GetParent(window), WM_GETOBJECT, flags, static_cast<LPARAM>(OBJID_CLIENT));
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&standard))))
        return 0;
    auto* control = new (std::nothrow) AccessibleControl(window, id, form, standard);
    if (control == nullptr) {
        standard->Release();
        return 0;
    }
    const LRESULT result = LresultFromObject(kIAccessible, flags, static_cast<IAccessible*>(control));
    control->Release();
    return result < 0 ? 0 : result;
}

LRESULT CALLBACK AccessProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR form) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, Barrier<AccessProc>, kSubclassId);
    if (message == WM_GETOBJECT && static_cast<DWORD>(lparam) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (const LRESULT answer = Answer(window, wparam, *reinterpret_cast<const FormAccess*>(form))) return answer;
    }
    return DefSubclassProc(window, message, wparam, lparam);
}

long RoleOfKind(const ControlSpec& entry) {
    switch (entry.kind) {
    case ControlKind::Label: return ROLE_SYSTEM_STATICTEXT;
    case ControlKind::Edit: return ROLE_SYSTEM_TEXT;
    case ControlKind::Button: return ROLE_SYSTEM_PUSHBUTTON;
    case ControlKind::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case ControlKind::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case ControlKind::SpeedButton: return (entry.flags & kPushLike) ? ROLE_SYSTEM_RADIOBUTTON : ROLE_SYSTEM_PUSHBUTTON;
    case ControlKind::CSpinButton: return ROLE_SYSTEM_SPINBUTTON;
    case ControlKind::GroupBox: return ROLE_SYSTEM_GROUPING;
    case ControlKind::Panel: return (entry.flags & kTealTitle) ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_GROUPING;
    case ControlKind::Image: return (entry.flags & kNotify) ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_GRAPHIC;
    case ControlKind::PageControl: return ROLE_SYSTEM_PAGETABLIST;
    case ControlKind::TabPage: return ROLE_SYSTEM_PROPERTYPAGE;
    }
    return ROLE_SYSTEM_CLIENT;
}

}  // namespace

void FormAccess::Attach(const FormLayout& layout, std::span<const ControlSpec> table,
                        std::span<const AccessibleEntry> names) {
    layout_ = &layout;
    table_ = table;
    for (const AccessibleEntry& heard : names) names_[heard.id] = &heard;
    for (const ControlSpec& entry : table) {
        const int32_t id = ControlId(entry.kind, entry.number);
        entries_[id] = &entry;
        if (const HWND control = layout.Control(id))
            SetWindowSubclass(control, Barrier<AccessProc>, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    }
}

void FormAccess::ValueChanged(int32_t id) const {
    auto notify = [this](int32_t changed) {
        if (const HWND control = layout_->Control(changed))
            NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
    };
    notify(id);
    for (const auto& [other, heard] : names_) {
        if (heard->shows == id && other != id) notify(other);
        if (other == id && heard->shows != 0 && heard->shows != id) notify(heard->shows);
    }
}

std::wstring FormAccess::TextOf(int32_t id) const {
    const HWND control = layout_->Control(id);
    const int length = control ? GetWindowTextLengthW(control) : 0;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(control ? static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)) : 0);
    return Trimmed(text);
}

std::wstring FormAccess::NumberOf(int32_t panel) const {
    std::wstring digits;
    for (const ControlSpec& entry : table_) {
        if (entry.parent_id != panel || !(entry.flags & kDigit)) continue;
        const int digit = layout_->Digit(ControlId(entry.kind, entry.number));
        if (digit < 0) return {};
        digits += static_cast<wchar_t>(L'0' + digit);
    }
    // Read as a number: 05 is five.
    const auto first = digits.find_first_not_of(L'0');
    return first == std::wstring::npos ? digits.substr(0, 1) : digits.substr(first);
}

std::wstring FormAccess::Name(int32_t id) const {
    const auto it = names_.find(id);
    if (it == names_.end()) return TextOf(id);
    const AccessibleEntry& heard = *it->second;
    if (heard.name != nullptr) return Wide(heard.name);
    return TextOf(heard.label != 0 ? heard.label : id);
}

long FormAccess::Role(int32_t id) const {
    if (IsNumber(id)) return ROLE_SYSTEM_STATICTEXT;
    const auto it = entries_.find(id);
    return it == entries_.end() ? ROLE_SYSTEM_CLIENT : RoleOfKind(*it->second);
}

std::optional<std::wstring> FormAccess::Value(int32_t id) const {
    const auto entry = entries_.find(id);
    if (entry != entries_.end() && entry->second->kind == ControlKind::PageControl) {
        // The page in front, by its tab's title.
        const HWND tabs = layout_->Control(id);
        wchar_t title[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        item.cchTextMax = static_cast<int>(std::size(title));
        SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)),
                     reinterpret_cast<LPARAM>(&item));
        return std::wstring(title);
    }
    const auto it = names_.find(id);
    const AccessibleEntry* heard = it == names_.end() ? nullptr : it->second;
    const bool number = IsNumber(id);
    if (!number && (heard == nullptr || (heard->shows == 0 && heard->unit == 0))) return std::nullopt;
    std::wstring value;
    if (number) {
        value = NumberOf(id);
    } else {
        const int32_t source = heard->shows != 0 ? heard->shows : id;
        value = IsNumber(source) ? NumberOf(source) : TextOf(source);
    }
    if (heard != nullptr && heard->unit != 0) value += TextOf(heard->unit);
    return value;
}

bool FormAccess::IsNumber(int32_t id) const {
    const auto it = entries_.find(id);
    if (it == entries_.end() || it->second->kind != ControlKind::Panel) return false;
    for (const ControlSpec& entry : table_)
        if (entry.parent_id == id && (entry.flags & kDigit)) return true;
    return false;
}

bool FormAccess::IsDigit(int32_t id) const {
    const auto it = entries_.find(id);
    return it != entries_.end() && (it->second->flags & kDigit) != 0;
}

bool FormAccess::IsPictureButton(int32_t id) const {
    const auto it = entries_.find(id);
    return it != entries_.end() && it->second->kind == ControlKind::Image && (it->second->flags & kNotify) != 0;
}

bool FormAccess::Checked(int32_t id) const {
    const long role = Role(id);
    if (role != ROLE_SYSTEM_RADIOBUTTON && role != ROLE_SYSTEM_CHECKBUTTON) return false;
    return SendMessageW(layout_->Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace kronvik
