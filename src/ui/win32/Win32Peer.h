#pragma once
// The base of every control's Win32 view, its "peer" (internal to
// ui/win32). A peer owns the window(s) of one control, mirrors the
// control's state into them, and turns the window's notifications into the
// control's user actions. Each kind of control refines it in its own
// section of Win32Peers.cpp; the window tree (Win32WindowTree.h) holds them.
//
// Shape (SumatraPDF's wingui wrappers): one creation-arguments struct and
// one CreateControl for every window; the parent reflects WM_COMMAND and
// WM_CTLCOLOR* to the child's peer; our own window classes are bound to
// their peer at WM_NCCREATE through GWLP_USERDATA and let go at
// WM_NCDESTROY; system controls are subclassed for the same purpose.
//
// No echo, kept here once: while a peer pushes the model's state into its
// window, the notifications this causes are not passed on, and text is only
// written when it differs. No exception leaves a window procedure:
// TWindowTree::Guard hands it to the application's error box.
#include <windows.h>

#include <string>
#include <utility>

#include "platform/win32/UniqueHandle.h"
#include "ui/Controls.h"

class TWindowTree;

// How a window tells its peer of its messages.
enum class TBinding {
    OwnClass,  // one of our window classes: bound at WM_NCCREATE
    Subclass,  // a system control, subclassed
    None,      // a part of a control (a radio group's buttons): its parent hears for it
};

// What one window is made with, in the manner of SumatraPDF's CreateControlArgs.
struct TCreateArgs {
    const wchar_t* ClassName = nullptr;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    std::string Text;
    // In the parent's client area. A top-level window: only the size counts,
    // the system places it.
    RECT Bounds{};
    TBinding Binding = TBinding::Subclass;
};

// Raises a flag for its lifetime; the old value comes back on every path out.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag), old_(std::exchange(flag, true)) {}
    ~TFlagScope() { flag_ = old_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

class TPeer : public TControlPeer {
public:
    TPeer(TWindowTree& tree, TControl& control) : tree_(tree), control_(&control) {}
    ~TPeer() override;
    TPeer(const TPeer&) = delete;
    TPeer& operator=(const TPeer&) = delete;

    // Null once the control is gone or the tree let go of it.
    TControl* Control() const { return control_; }
    HWND Handle() const { return hwnd_.get(); }

    // Creates the window in `parent` (Args(), then Created()), showing the
    // control's present state.
    void Create(HWND parent);
    // After the children exist.
    virtual void ChildrenCreated() {}
    // After every window of the form exists (layout that looks at siblings).
    virtual void TreeBuilt() {}

    void Changed(TControl& control, TChange change) final;

    // A notification from this control's window, or from a part of it that
    // has no peer of its own: an echo of a push ends here, the rest goes on
    // to Command.
    void Notified(WORD code, HWND from);
    // WM_CTLCOLOR* for this control's window (or a part of it); null: the default.
    virtual HBRUSH CtlColor(HDC, HWND) { return nullptr; }
    // What a container paints under its children; transparent children use it.
    virtual HBRUSH Background();

    // The system destroyed `hwnd`: forget it.
    virtual void Released(HWND hwnd);
    // The tree lets go of the control (the tree closes first).
    void Detach();

    // Window procedures.
    static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR id, DWORD_PTR self);

protected:
    // The window of this kind, made with the control's present state.
    virtual TCreateArgs Args() const = 0;
    // After the window exists, still as a push of the model's state.
    virtual void Created() {}
    // A notification the user's action caused (see Notified).
    virtual void Command(WORD, HWND) {}
    // Refreshes the part of the window that `change` names (a push).
    virtual void Update(TChange change);
    // Messages of a subclassed system control; true when handled (result set).
    virtual bool ControlMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // Messages of a window of our own classes; true when handled.
    virtual bool ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Whether the window shows (tab sheets: only the active page).
    virtual bool Shown() const { return control_ && control_->Visible(); }
    // The window's rectangle in its parent, in screen pixels.
    virtual RECT Placement() const;
    void ApplyPlacement();

    // A child window of `className` at Placement(): `style` on top of
    // WS_CHILD with the control's visibility, enabled state and Tab stop.
    TCreateArgs ChildArgs(const wchar_t* className, DWORD style, std::string text) const;
    // A child window of one of our classes that holds others: never a Tab
    // stop itself, the focus goes to its children.
    TCreateArgs ContainerArgs(const wchar_t* className) const;
    // The one place a window is made; the error names the control.
    HWND CreateControl(const TCreateArgs& args, HWND parent);
    // Runs `push` as a push of the model's state into the window.
    template <class Push>
    void Pushing(Push&& push) {
        const TFlagScope scope(pushing_);
        push();
    }

    void SetFont(HWND hwnd);
    HBRUSH ParentBackground() const;
    // Colours of a control drawn on its parent's background.
    HBRUSH TransparentColor(HDC dc);

    TWindowTree& tree_;
    TControl* control_;
    UniqueHwnd hwnd_;

private:
    friend class TWindowTree;
    bool pushing_ = false;
};

std::wstring WindowText(HWND hwnd);
// Writes the text only when it differs (no WM_SETTEXT, no notification).
void SetWindowTextIfChanged(HWND hwnd, const std::string& text);
// Sets the `mask` bits of a window's style to `bits`, redrawing on a change.
void SetStyleBits(HWND hwnd, DWORD mask, DWORD bits);
// The program's own module: its window classes and its icon.
inline HINSTANCE Instance() { return GetModuleHandleW(nullptr); }
inline int RectWidth(const RECT& r) { return r.right - r.left; }
inline int RectHeight(const RECT& r) { return r.bottom - r.top; }
// Whether `inner` is `outer` or inside it.
inline bool Contains(HWND outer, HWND inner) { return inner && (inner == outer || IsChild(outer, inner)); }

// Window class names of our own windows.
namespace win32class {
constexpr const wchar_t* Form = L"KonfiguracjaBDE.Form";
constexpr const wchar_t* PageControl = L"KonfiguracjaBDE.PageControl";
constexpr const wchar_t* TabSheet = L"KonfiguracjaBDE.TabSheet";
constexpr const wchar_t* Box = L"KonfiguracjaBDE.Box";
void RegisterAll();
}  // namespace win32class
