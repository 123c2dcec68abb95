#pragma once
// The Win32 peers of the components (internal to ui/win32). Each peer owns
// the window(s) of one control, mirrors the control's state into them, and
// turns the window's notifications into the control's user actions.
//
// Shape (SumatraPDF-style wrappers): the parent window reflects WM_COMMAND
// and WM_CTLCOLOR* to the child's peer; our own window classes are bound to
// their peer at WM_NCCREATE through GWLP_USERDATA and let go at WM_NCDESTROY;
// system controls are subclassed for the same purpose.
//
// No echo: while a peer pushes the model's state into its window, the
// notifications this causes are ignored, and text is only written when it
// differs. No exception leaves a window procedure: TWindowTree::Guard hands
// it to the application's error box.
#include <windows.h>

#include <exception>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/win32/Win32Graphics.h"

class TWindowTree;

class TPeer : public TControlPeer {
public:
    TPeer(TWindowTree& tree, TControl& control);
    ~TPeer() override;
    TPeer(const TPeer&) = delete;
    TPeer& operator=(const TPeer&) = delete;

    // Null once the control is gone or the tree let go of it.
    TControl* Control() const { return control_; }
    HWND Handle() const { return hwnd_.get(); }
    // The window that the control's children are created in.
    virtual HWND ClientHandle() const { return Handle(); }

    // Creates the window(s) in `parent`, showing the control's present state.
    virtual void Create(HWND parent) = 0;
    // After the children exist.
    virtual void ChildrenCreated() {}
    // After every window of the form exists (layout that looks at siblings).
    virtual void TreeBuilt() {}

    void Changed(TControl& control, TChange change) final;

    // A notification from this control's window, or from a window inside it
    // that has no peer of its own (a radio group's buttons).
    virtual void Command(WORD code, HWND from);
    // WM_CTLCOLOR* for this control's window (or one inside it); null: the default.
    virtual HBRUSH CtlColor(HDC dc, HWND from);
    // What a container paints under its children; transparent children use it.
    virtual HBRUSH Background();
    // The control's own re-stacking of its children in Tab order.
    void Restack();

    // The system destroyed `hwnd`: forget it.
    virtual void Released(HWND hwnd);
    // The tree lets go of the control (the tree closes first).
    void Detach();

    // Window procedures.
    static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR id, DWORD_PTR self);

protected:
    // Refreshes the part of the window that `change` names.
    virtual void Update(TChange change);
    // Messages of a subclassed system control; true when handled (result set).
    virtual bool ControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Messages of a window of our own classes; true when handled.
    virtual bool ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Whether the window shows (tab sheets: only the active page).
    virtual bool Shown() const;
    // The window's rectangle in its parent, in screen pixels.
    virtual RECT Placement() const;
    void ApplyPlacement();
    void ApplyShown();

    // WS_CHILD with the control's visibility, enabled state and Tab stop.
    DWORD ChildStyle() const;
    // A system control, subclassed and bound to this peer.
    HWND CreateControl(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, const std::string& text);
    // A window of one of our classes, bound at WM_NCCREATE.
    HWND CreateContainer(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, const std::string& text);
    // A window in place of the present one, for styles that cannot change.
    void Recreate();
    void SetFont(HWND hwnd);
    HBRUSH ParentBackground() const;
    // Colours of a control drawn on its parent's background.
    HBRUSH TransparentColor(HDC dc);

    TWindowTree& tree_;
    TControl* control_;
    UniqueHwnd hwnd_;
    // Set while the model's state is written into the window.
    bool pushing_ = false;

    friend class TWindowTree;
};

// Pushes the model into the window for the scope's lifetime: notifications
// the window sends meanwhile are echoes and are ignored.
class TPushing {
public:
    explicit TPushing(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~TPushing() { flag_ = old_; }
    TPushing(const TPushing&) = delete;
    TPushing& operator=(const TPushing&) = delete;

private:
    bool& flag_;
    bool old_;
};

std::wstring WindowText(HWND hwnd);
// Writes the text only when it differs (no WM_SETTEXT, no notification).
void SetWindowTextIfChanged(HWND hwnd, const std::string& text);

// Every window of one form and what they share.
class TWindowTree {
public:
    explicit TWindowTree(TForm& form);
    ~TWindowTree();
    TWindowTree(const TWindowTree&) = delete;
    TWindowTree& operator=(const TWindowTree&) = delete;

    TForm& Form() const { return form_; }
    TApplication& Application() const { return form_.Application(); }
    const TScaler& Scaler() const { return scaler_; }
    TGdiCache& Gdi() { return gdi_; }
    HWND Root() const;

    int NextId() { return nextId_++; }
    void Bind(HWND hwnd, TPeer* peer) { handles_[hwnd] = peer; }
    void Unbind(HWND hwnd) { handles_.erase(hwnd); }
    TPeer* PeerOf(HWND hwnd) const;
    TPeer* PeerOf(const TControl* control) const;

    // Creates the peer and window(s) of `control`, then of its children in
    // Tab order (the order of the windows is the Tab order). A page that is
    // not showing gets its children when it first shows, or when one of them
    // is asked for (Realize): creating windows is most of what starting the
    // program costs, and most pages are never seen in a run.
    TPeer* Build(TControl& control, HWND parent);
    // Creates the windows still missing on the way to `control`.
    void Realize(const TControl& control);

    // The default button that Enter presses: default, enabled and showing.
    TPeer* EnabledDefaultButton() const;
    // Default-button look: the focused push button, or else the designed
    // defaults. `focus`: the window that has (or is getting) the focus.
    void UpdateDefaultButtons(HWND focus);
    void UpdateDefaultButtons();
    // Before `hwnd` is hidden or disabled: a focus inside it moves to the next
    // control in Tab order (or to the form).
    void MoveFocusOffOf(HWND hwnd);
    // The first control a Tab would reach inside `container`, or null.
    static HWND FirstTabStop(HWND container);

    // Runs `action`; whatever it throws goes to the application's error box.
    template <class Action>
    bool Guard(Action&& action) noexcept {
        try {
            action();
            return true;
        } catch (...) {
            HandleError(std::current_exception());
            return false;
        }
    }

private:
    void HandleError(std::exception_ptr error) noexcept;

    TForm& form_;
    TScaler scaler_;
    TGdiCache gdi_;
    std::map<HWND, TPeer*> handles_;
    std::set<TPeer*> unbuilt_;  // pages whose children wait for their first showing
    TPeer* root_ = nullptr;
    int nextId_ = 1000;  // above IDOK, IDCANCEL and the other dialog ids
    // Last: peers may still unbind their windows while they go.
    std::vector<std::unique_ptr<TPeer>> peers_;  // creation order: parents first
};

// Window class names of our own windows.
namespace win32class {
constexpr const wchar_t* Form = L"KonfiguracjaBDE.Form";
constexpr const wchar_t* PageControl = L"KonfiguracjaBDE.PageControl";
constexpr const wchar_t* TabSheet = L"KonfiguracjaBDE.TabSheet";
constexpr const wchar_t* Box = L"KonfiguracjaBDE.Box";
void RegisterAll();
}  // namespace win32class
