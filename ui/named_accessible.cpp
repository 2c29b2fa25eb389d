#include "named_accessible.h"

#include <oleacc.h>

#include <new>

#include "system_library.h"

namespace {

// The accessibility libraries, loaded from the system directory at the first question a
// screen reader asks, not at start, and kept: the objects handed out run their code.
struct AccessibilityLibraries {
    UniqueModule ole32, oleaut32, oleacc;
    decltype(&CoInitializeEx) coInitializeEx = nullptr;
    decltype(&SysAllocString) sysAllocString = nullptr;
    decltype(&CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
    decltype(&LresultFromObject) lresultFromObject = nullptr;
};

template <typename Function>
bool Find(const UniqueModule& library, const char* name, Function& function) {
    function = library ? reinterpret_cast<Function>(
                             reinterpret_cast<void*>(GetProcAddress(library.get(), name)))
                       : nullptr;
    return function != nullptr;
}

// Null if they cannot be had, now or ever.
const AccessibilityLibraries* Libraries() noexcept {
    static AccessibilityLibraries libraries;
    static const bool found = [] {
        libraries.ole32 = TryLoadSystemLibrary(L"ole32.dll");
        libraries.oleaut32 = TryLoadSystemLibrary(L"oleaut32.dll");
        libraries.oleacc = TryLoadSystemLibrary(L"oleacc.dll");
        return Find(libraries.ole32, "CoInitializeEx", libraries.coInitializeEx) &&
               Find(libraries.oleaut32, "SysAllocString", libraries.sysAllocString) &&
               Find(libraries.oleacc, "CreateStdAccessibleObject",
                    libraries.createStdAccessibleObject) &&
               Find(libraries.oleacc, "LresultFromObject", libraries.lresultFromObject) &&
               // The object is handed to the asking program through COM, which this thread
               // then serves; it stays initialised for as long as the program runs.
               SUCCEEDED(libraries.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }();
    return found ? &libraries : nullptr;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The system's own accessible object for the control, with its role, value, state and the
// rest as the system gives them; only the control's own name is another.
class NamedAccessible final : public IAccessible {
  public:
    NamedAccessible(IAccessible* standard, const wchar_t* name,
                    decltype(&SysAllocString) sysAllocString)
        : standard_(standard), name_(name), sysAllocString_(sysAllocString) {}
    NamedAccessible(const NamedAccessible&) = delete;
    NamedAccessible& operator=(const NamedAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The system object's other interfaces (its children, its window) name nothing.
        return standard_->QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // Not through IDispatch: there the system's object would answer with its own name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) {
            return E_INVALIDARG;
        }
        *count = 0;
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

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) {
            return standard_->get_accName(child, name);
        }
        if (!name) {
            return E_INVALIDARG;
        }
        *name = sysAllocString_(name_);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    // Names are no longer set this way, and the only control named is read-only.
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    ~NamedAccessible() { standard_->Release(); }

    ULONG references_ = 1;
    IAccessible* standard_;
    const wchar_t* name_;
    decltype(&SysAllocString) sysAllocString_;
};

}  // namespace

LRESULT NamedAccessibleObject(HWND control, WPARAM flags, const wchar_t* name) noexcept {
    const AccessibilityLibraries* libraries = Libraries();
    IAccessible* standard = nullptr;
    if (!libraries ||
        FAILED(libraries->createStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                    reinterpret_cast<void**>(&standard)))) {
        return 0;
    }
    auto* named = new (std::nothrow) NamedAccessible(standard, name, libraries->sysAllocString);
    if (!named) {
        standard->Release();
        return 0;
    }
    const LRESULT answer = libraries->lresultFromObject(__uuidof(IAccessible), flags, named);
    named->Release();
    // A failure comes back as a negative HRESULT, which must not reach the asking program.
    return answer > 0 ? answer : 0;
}
