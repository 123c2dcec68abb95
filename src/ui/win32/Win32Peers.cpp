#include "ui/win32/Win32Peers.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "platform/Exception.h"
#include "platform/win32/WideText.h"
#include "ui/ComCtrls.h"
#include "ui/StdCtrls.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

int RectWidth(const RECT& r) { return r.right - r.left; }
int RectHeight(const RECT& r) { return r.bottom - r.top; }

// Tab-ordered controls first (by TabOrder), then the others in creation order.
std::vector<TControl*> TabOrdered(const std::vector<TControl*>& children) {
    std::vector<TControl*> result = children;
    std::stable_sort(result.begin(), result.end(), [](const TControl* a, const TControl* b) {
        auto key = [](const TControl* c) { return c->TabOrder() < 0 ? INT_MAX : c->TabOrder(); };
        return key(a) < key(b);
    });
    return result;
}

void SetStyleBits(HWND hwnd, DWORD mask, DWORD bits) {
    auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    DWORD updated = (style & ~mask) | (bits & mask);
    if (updated == style) return;
    SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(updated));
    InvalidateRect(hwnd, nullptr, TRUE);
}

bool Contains(HWND outer, HWND inner) { return inner && (inner == outer || IsChild(outer, inner)); }

// An etched frame with the caption on it, like a group box.
void PaintGroupFrame(HWND hwnd, HDC dc, TGdiCache& gdi, const TScaler& scaler, const TControl& control,
                     HBRUSH background) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, background);
    const TFont font = control.Font();
    HGDIOBJ oldFont = SelectObject(dc, gdi.Font(font));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    RECT frame = client;
    frame.top = tm.tmHeight / 2 - 1;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    std::wstring caption = Utf8ToWide(control.Caption());
    if (!caption.empty()) {
        RECT text{scaler(8), 0, client.right, tm.tmHeight};
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        FillRect(dc, &text, background);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, IsWindowEnabled(hwnd) ? ColorRef(font.Color) : GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
}

}  // namespace

// ---- text

std::wstring WindowText(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    int copied = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void SetWindowTextIfChanged(HWND hwnd, const std::string& text) {
    std::wstring wide = Utf8ToWide(text);
    if (WindowText(hwnd) != wide) SetWindowTextW(hwnd, wide.c_str());
}

// ---- TPeer

TPeer::TPeer(TWindowTree& tree, TControl& control) : tree_(tree), control_(&control) {}

TPeer::~TPeer() {
    Detach();
    hwnd_.reset();
}

void TPeer::Detach() {
    if (control_ && control_->Peer() == this) control_->SetPeer(nullptr);
    control_ = nullptr;
}

void TPeer::Released(HWND hwnd) {
    tree_.Unbind(hwnd);
    if (hwnd_.get() == hwnd) hwnd_.release();
}

void TPeer::Changed(TControl& control, TChange change) {
    if (&control != control_) return;
    if (change == TChange::Destroying) {
        control_ = nullptr;
        return;
    }
    if (!hwnd_) return;
    TPushing pushing(pushing_);
    Update(change);
}

void TPeer::Update(TChange change) {
    HWND hwnd = hwnd_.get();
    switch (change) {
        case TChange::Text:
            SetWindowTextIfChanged(hwnd, control_->Text());
            break;
        case TChange::Enabled:
            if (!control_->Enabled()) tree_.MoveFocusOffOf(hwnd);
            EnableWindow(hwnd, control_->Enabled());
            break;
        case TChange::Visible:
            ApplyShown();
            break;
        case TChange::Bounds:
            ApplyPlacement();
            break;
        case TChange::Font:
            SetFont(hwnd);
            InvalidateRect(hwnd, nullptr, TRUE);
            break;
        case TChange::Color:
            InvalidateRect(hwnd, nullptr, TRUE);
            break;
        case TChange::TabOrder:
            SetStyleBits(hwnd, WS_TABSTOP, ChildStyle());
            if (TPeer* parent = control_->Parent() ? tree_.PeerOf(control_->Parent()) : nullptr) parent->Restack();
            break;
        default:
            break;
    }
}

void TPeer::Command(WORD, HWND) {}

HBRUSH TPeer::CtlColor(HDC, HWND) { return nullptr; }

HBRUSH TPeer::Background() {
    return tree_.Gdi().Brush(control_ && control_->Color() != clDefault ? control_->Color() : clBtnFace);
}

HBRUSH TPeer::ParentBackground() const {
    if (control_ && control_->Parent())
        if (TPeer* parent = tree_.PeerOf(control_->Parent())) return parent->Background();
    return tree_.Gdi().Brush(clBtnFace);
}

HBRUSH TPeer::TransparentColor(HDC dc) {
    SetTextColor(dc, IsWindowEnabled(hwnd_.get()) ? ColorRef(control_->Font().Color) : GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    return ParentBackground();
}

void TPeer::Restack() {
    auto* container = dynamic_cast<TWinControl*>(control_);
    if (!container) return;
    HWND after = HWND_TOP;
    for (TControl* child : TabOrdered(container->Children())) {
        TPeer* peer = tree_.PeerOf(child);
        if (!peer || !peer->Handle()) continue;
        SetWindowPos(peer->Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = peer->Handle();
    }
}

bool TPeer::Shown() const { return control_ && control_->Visible(); }

RECT TPeer::Placement() const {
    return tree_.Scaler().Rect(control_->Left(), control_->Top(), control_->Width(), control_->Height());
}

void TPeer::ApplyPlacement() {
    RECT r = Placement();
    SetWindowPos(hwnd_.get(), nullptr, r.left, r.top, RectWidth(r), RectHeight(r), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPeer::ApplyShown() {
    bool show = Shown();
    if (!show) tree_.MoveFocusOffOf(hwnd_.get());
    ShowWindow(hwnd_.get(), show ? SW_SHOWNA : SW_HIDE);
}

DWORD TPeer::ChildStyle() const {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (Shown()) style |= WS_VISIBLE;
    if (!control_->Enabled()) style |= WS_DISABLED;
    if (control_->TabStop()) style |= WS_TABSTOP;
    return style;
}

HWND TPeer::CreateControl(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, const std::string& text) {
    RECT r = Placement();
    const int id = tree_.NextId();
    HWND hwnd = CreateWindowExW(exStyle, className, Utf8ToWide(text).c_str(), style, r.left, r.top, RectWidth(r),
                                RectHeight(r), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(),
                                nullptr);
    if (!hwnd)
        throw Exception("Nie można utworzyć okna " + control_->Name() + ": " + SystemErrorText(GetLastError()));
    SetWindowSubclass(hwnd, ControlSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    tree_.Bind(hwnd, this);
    SetFont(hwnd);
    return hwnd;
}

HWND TPeer::CreateContainer(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, const std::string& text) {
    RECT r = Placement();
    const int id = tree_.NextId();
    HWND hwnd = CreateWindowExW(exStyle | WS_EX_CONTROLPARENT, className, Utf8ToWide(text).c_str(), style, r.left,
                                r.top, RectWidth(r), RectHeight(r), parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), this);
    if (!hwnd)
        throw Exception("Nie można utworzyć okna " + control_->Name() + ": " + SystemErrorText(GetLastError()));
    return hwnd;
}

void TPeer::Recreate() {
    HWND old = hwnd_.get();
    if (!old) return;
    HWND parent = GetParent(old);
    HWND before = GetWindow(old, GW_HWNDPREV);
    const bool hadFocus = Contains(old, GetFocus());
    UniqueHwnd previous(hwnd_.release());
    Create(parent);
    SetWindowPos(hwnd_.get(), before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous.reset();
    if (hadFocus) SetFocus(hwnd_.get());
}

void TPeer::SetFont(HWND hwnd) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(tree_.Gdi().Font(control_->Font())), TRUE);
}

bool TPeer::ControlMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool TPeer::ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND: {
            // A control's notification carries its own id; anything else
            // (IDOK, IDCANCEL from the dialog manager) is the form's.
            auto from = reinterpret_cast<HWND>(lParam);
            if (!from || GetDlgCtrlID(from) != LOWORD(wParam)) return false;
            TPeer* target = tree_.PeerOf(from);
            if (!target) target = this;
            if (target->Control()) tree_.Guard([&] { target->Command(HIWORD(wParam), from); });
            result = 0;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX: {
            auto from = reinterpret_cast<HWND>(lParam);
            TPeer* target = tree_.PeerOf(from);
            if (!target) target = this;
            HBRUSH brush = target->Control() ? target->CtlColor(reinterpret_cast<HDC>(wParam), from) : nullptr;
            if (!brush) return false;
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, Background());
            result = 1;
            return true;
        }
        case WM_NEXTDLGCTL:
            // Multi-line edits send it to their parent; the form moves the focus.
            result = SendMessageW(tree_.Root(), message, wParam, lParam);
            return true;
        case WM_CLOSE:
            // Esc in a multi-line edit posts it to the edit's parent: only the
            // form itself closes.
            result = 0;
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK TPeer::ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* peer = static_cast<TPeer*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(peer));
        if (peer) {
            peer->hwnd_.reset(hwnd);
            // A window the tree cannot record is not created.
            if (!peer->tree_.Guard([&] { peer->tree_.Bind(hwnd, peer); })) return FALSE;
        }
    }
    auto* peer = reinterpret_cast<TPeer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!peer) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        peer->Released(hwnd);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    peer->tree_.Guard([&] { handled = peer->control_ && peer->ContainerMessage(hwnd, message, wParam, lParam, result); });
    return handled ? result : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK TPeer::ControlSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR self) {
    auto* peer = reinterpret_cast<TPeer*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, ControlSubclassProc, id);
        peer->Released(hwnd);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    peer->tree_.Guard([&] { handled = peer->control_ && peer->ControlMessage(hwnd, message, wParam, lParam, result); });
    return handled ? result : DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---- the kinds of peers

namespace {

// The form: a top-level window with a dialog frame, sized by its client area.
class TFormPeer : public TPeer {
public:
    TFormPeer(TWindowTree& tree, TForm& form) : TPeer(tree, form), form_(form) {}

    void Create(HWND) override {
        const bool dialog = form_.BorderStyle() == bsDialog;
        style_ = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        exStyle_ = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
        if (dialog)
            exStyle_ |= WS_EX_DLGMODALFRAME;
        else
            style_ |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        RECT frame = ClientRect();
        AdjustWindowRectEx(&frame, style_, FALSE, exStyle_);
        HWND hwnd = CreateWindowExW(exStyle_, win32class::Form, Utf8ToWide(form_.Caption()).c_str(), style_,
                                    CW_USEDEFAULT, CW_USEDEFAULT, RectWidth(frame), RectHeight(frame), nullptr,
                                    nullptr, Instance(), this);
        if (!hwnd) throw Exception("Nie można utworzyć okna formularza: " + SystemErrorText(GetLastError()));
        if (HICON icon = LoadIconW(Instance(), MAKEINTRESOURCEW(1))) {
            SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
        FitClient();
    }

    void ChildrenCreated() override {
        if (form_.Visible()) ShowForm();
    }

    HBRUSH Background() override {
        return tree_.Gdi().Brush(form_.Color() == clDefault ? clWindow : form_.Color());
    }

protected:
    void Update(TChange change) override {
        switch (change) {
            case TChange::Visible:
                if (form_.Visible())
                    ShowForm();
                else
                    ShowWindow(hwnd_.get(), SW_HIDE);
                break;
            case TChange::Bounds:
                FitClient();
                break;
            case TChange::Enabled:
                EnableWindow(hwnd_.get(), form_.Enabled());
                break;
            case TChange::TabOrder:
                break;
            default:
                TPeer::Update(change);
        }
    }

    bool ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        switch (message) {
            case WM_CLOSE:
                // The close box: the form closes (the program ends with its main form).
                tree_.Guard([&] { form_.Close(); });
                result = 0;
                return true;
            case DM_GETDEFID:
                // Enter (through IsDialogMessage) presses the default button
                // that is enabled now: "Dalej >" or "Wykonaj", or "OK".
                result = 0;
                if (TPeer* button = tree_.EnabledDefaultButton())
                    result = MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID);
                return true;
            case DM_SETDEFID:
                // The design decides which buttons are default.
                result = TRUE;
                return true;
            case WM_COMMAND:
                if (TPeer::ContainerMessage(hwnd, message, wParam, lParam, result)) return true;
                if (LOWORD(wParam) == IDOK) {
                    if (TPeer* button = tree_.EnabledDefaultButton())
                        tree_.Guard([&] { button->Command(BN_CLICKED, button->Handle()); });
                }
                // IDCANCEL (Esc) does nothing.
                result = 0;
                return true;
            case WM_NEXTDLGCTL:
                NextControl(wParam, lParam);
                result = 0;
                return true;
            case WM_ACTIVATE:
                if (LOWORD(wParam) == WA_INACTIVE) {
                    HWND focus = GetFocus();
                    if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
                    return false;
                }
                if (RestoreFocus()) {
                    result = 0;
                    return true;
                }
                return false;
            case WM_SETCURSOR:
                if (tree_.Application().Screen().Cursor() == crHourGlass) {
                    ::SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                    result = TRUE;
                    return true;
                }
                return false;
            default:
                return TPeer::ContainerMessage(hwnd, message, wParam, lParam, result);
        }
    }

private:
    RECT ClientRect() const {
        const TScaler& s = tree_.Scaler();
        return RECT{0, 0, s(form_.Width()), s(form_.Height())};
    }

    // Frame sizes differ between systems: measure, then correct.
    void FitClient() {
        RECT want = ClientRect();
        RECT client, window;
        GetClientRect(hwnd_.get(), &client);
        GetWindowRect(hwnd_.get(), &window);
        const int dw = RectWidth(want) - RectWidth(client);
        const int dh = RectHeight(want) - RectHeight(client);
        if (dw || dh)
            SetWindowPos(hwnd_.get(), nullptr, 0, 0, RectWidth(window) + dw, RectHeight(window) + dh,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void ShowForm() {
        HWND hwnd = hwnd_.get();
        if (!shownOnce_ && form_.Position() == poScreenCenter) {
            RECT window;
            GetWindowRect(hwnd, &window);
            const int x = (GetSystemMetrics(SM_CXSCREEN) - RectWidth(window)) / 2;
            const int y = (GetSystemMetrics(SM_CYSCREEN) - RectHeight(window)) / 2;
            SetWindowPos(hwnd, nullptr, std::max(x, 0), std::max(y, 0), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        shownOnce_ = true;
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
        if (!Contains(hwnd, GetFocus()) || GetFocus() == hwnd) RestoreFocus();
        UpdateWindow(hwnd);
    }

    bool RestoreFocus() {
        HWND hwnd = hwnd_.get();
        HWND target = lastFocus_;
        if (!target || !IsChild(hwnd, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
            target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
        if (!target) return false;
        SetFocus(target);
        return true;
    }

    // WM_NEXTDLGCTL: lParam set: wParam is the window; otherwise wParam
    // chooses the previous (non-zero) or next control in Tab order.
    void NextControl(WPARAM wParam, LPARAM lParam) {
        HWND hwnd = hwnd_.get();
        HWND focus = GetFocus();
        if (!IsChild(hwnd, focus)) focus = nullptr;
        HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hwnd, focus, wParam != 0);
        if (!target) return;
        if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
        SetFocus(target);
    }

    TForm& form_;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    bool shownOnce_ = false;
    HWND lastFocus_ = nullptr;
};

// Page control: shows the active sheet, paints its own background (never
// its parent's) and a frame, and has no tab headers.
class TPageControlPeer : public TPeer {
public:
    TPageControlPeer(TWindowTree& tree, TPageControl& pages) : TPeer(tree, pages), pages_(pages) {}

    void Create(HWND parent) override {
        CreateContainer(win32class::PageControl, (ChildStyle() & ~WS_TABSTOP) | WS_CLIPCHILDREN, 0, parent, "");
    }

protected:
    void Update(TChange change) override {
        if (change == TChange::ActivePage)
            SwitchPages();
        else if (change != TChange::TabOrder)
            TPeer::Update(change);
    }

    bool ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_ERASEBKGND) return TPeer::ContainerMessage(hwnd, message, wParam, lParam, result);
        auto dc = reinterpret_cast<HDC>(wParam);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, Background());
        DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
        result = 1;
        return true;
    }

private:
    // The new page shows before the old one hides, so that a focus on the
    // old page can move straight to the new one.
    void SwitchPages() {
        HWND focus = GetFocus();
        const bool focusInside = Contains(hwnd_.get(), focus);
        if (pages_.ActivePage()) tree_.Realize(*pages_.ActivePage());
        TPeer* active = tree_.PeerOf(pages_.ActivePage());
        if (active && active->Handle()) {
            ShowWindow(active->Handle(), SW_SHOWNA);
            if (focusInside && !Contains(active->Handle(), focus))
                if (HWND first = TWindowTree::FirstTabStop(active->Handle())) SetFocus(first);
        }
        for (int i = 0; i < pages_.PageCount(); ++i) {
            TPeer* sheet = tree_.PeerOf(&pages_.Pages(i));
            if (sheet && sheet != active && sheet->Handle()) {
                tree_.MoveFocusOffOf(sheet->Handle());
                ShowWindow(sheet->Handle(), SW_HIDE);
            }
        }
    }

    TPageControl& pages_;
};

// A page: a plain child window, shown while it is the active page.
class TTabSheetPeer : public TPeer {
public:
    TTabSheetPeer(TWindowTree& tree, TTabSheet& sheet) : TPeer(tree, sheet), sheet_(sheet) {}

    void Create(HWND parent) override {
        CreateContainer(win32class::TabSheet, (ChildStyle() & ~WS_TABSTOP) | WS_CLIPCHILDREN, 0, parent,
                        sheet_.Caption());
    }

    HBRUSH Background() override {
        if (sheet_.Color() != clDefault) return tree_.Gdi().Brush(sheet_.Color());
        return ParentBackground();
    }

protected:
    bool Shown() const override {
        TPageControl* pages = sheet_.PageControl();
        return sheet_.Visible() && (!pages || pages->ActivePage() == &sheet_);
    }
    void Update(TChange change) override {
        if (change != TChange::TabOrder && change != TChange::TabVisible) TPeer::Update(change);
    }

private:
    TTabSheet& sheet_;
};

// Group box (and any other plain container): a frame with its caption.
class TBoxPeer : public TPeer {
public:
    TBoxPeer(TWindowTree& tree, TControl& box, bool frame) : TPeer(tree, box), frame_(frame) {}

    void Create(HWND parent) override {
        CreateContainer(win32class::Box, (ChildStyle() & ~WS_TABSTOP) | WS_CLIPCHILDREN, 0, parent,
                        control_->Caption());
    }

    HBRUSH Background() override {
        if (control_->Color() != clDefault) return tree_.Gdi().Brush(control_->Color());
        return ParentBackground();
    }

protected:
    void Update(TChange change) override {
        if (change == TChange::Text || change == TChange::Font || change == TChange::Enabled)
            InvalidateRect(hwnd_.get(), nullptr, TRUE);
        if (change != TChange::TabOrder) TPeer::Update(change);
    }

    bool ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_PAINT && frame_) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            PaintGroupFrame(hwnd, dc, tree_.Gdi(), tree_.Scaler(), *control_, Background());
            EndPaint(hwnd, &ps);
            result = 0;
            return true;
        }
        return TPeer::ContainerMessage(hwnd, message, wParam, lParam, result);
    }

    bool frame_;
};

// Radio group: a framed container with one auto radio button per item,
// laid out as the framework does (one column, equal rows under the caption).
class TRadioGroupPeer : public TBoxPeer {
public:
    TRadioGroupPeer(TWindowTree& tree, TRadioGroup& group) : TBoxPeer(tree, group, true), group_(group) {}

    void Create(HWND parent) override {
        // The group itself is not a Tab stop; its checked button is.
        CreateContainer(win32class::Box, (ChildStyle() & ~WS_TABSTOP) | WS_CLIPCHILDREN, 0, parent,
                        group_.Caption());
        CreateButtons();
    }

    void Command(WORD code, HWND from) override {
        if (code != BN_CLICKED || pushing_) return;
        for (std::size_t i = 0; i < buttons_.size(); ++i)
            if (buttons_[i].get() == from) group_.UserSelect(static_cast<int>(i));
        // The model may have refused (disabled): show what it holds.
        if (control_) SyncChecks();
    }

    HBRUSH CtlColor(HDC dc, HWND) override { return TransparentColor(dc); }

    void Released(HWND hwnd) override {
        if (hwnd == hwnd_.get())
            for (auto& button : buttons_) button.release();
        TPeer::Released(hwnd);
    }

protected:
    void Update(TChange change) override {
        switch (change) {
            case TChange::Items:
                CreateButtons();
                break;
            case TChange::ItemIndex:
            case TChange::TabOrder:
                SyncChecks();
                break;
            case TChange::Enabled:
                for (auto& button : buttons_) EnableWindow(button.get(), group_.Enabled());
                TBoxPeer::Update(change);
                break;
            case TChange::Font:
                for (auto& button : buttons_) SetFont(button.get());
                Layout();
                TBoxPeer::Update(change);
                break;
            case TChange::Bounds:
                TBoxPeer::Update(change);
                Layout();
                break;
            default:
                TBoxPeer::Update(change);
        }
    }

private:
    void CreateButtons() {
        TPushing pushing(pushing_);
        for (auto& button : buttons_) tree_.MoveFocusOffOf(button.get());
        buttons_.clear();
        for (int i = 0; i < group_.Items().Count(); ++i) {
            DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
            if (!group_.Enabled()) style |= WS_DISABLED;
            const int id = tree_.NextId();
            HWND button = CreateWindowExW(0, L"BUTTON", Utf8ToWide(group_.Items()[i]).c_str(), style, 0, 0, 0, 0,
                                          hwnd_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(),
                                          nullptr);
            if (!button)
                throw Exception("Nie można utworzyć okna " + group_.Name() + ": " + SystemErrorText(GetLastError()));
            buttons_.emplace_back(button);
            SetFont(button);
        }
        Layout();
        SyncChecks();
    }

    void Layout() {
        if (buttons_.empty()) return;
        RECT client;
        GetClientRect(hwnd_.get(), &client);
        const TEXTMETRICW tm = tree_.Gdi().Metrics(group_.Font());
        const int count = static_cast<int>(buttons_.size());
        const int rows = std::max(RectHeight(client) - static_cast<int>(tm.tmHeight) - 5, count);
        const int height = rows / count;
        const int top = tm.tmHeight + 1 + (rows % count) / 2;
        const int left = tree_.Scaler()(8);
        const int width = RectWidth(client) - left - tree_.Scaler()(2);
        for (int i = 0; i < count; ++i)
            SetWindowPos(buttons_[static_cast<std::size_t>(i)].get(), nullptr, left, top + i * height, width, height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Checks, and the Tab stop on the checked button (the first when none is).
    void SyncChecks() {
        TPushing pushing(pushing_);
        const int checked = group_.ItemIndex();
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            HWND button = buttons_[i].get();
            const bool on = static_cast<int>(i) == checked;
            if ((SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) != on)
                SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
            const bool stop = group_.TabStop() && static_cast<int>(i) == std::max(checked, 0);
            SetStyleBits(button, WS_TABSTOP, stop ? WS_TABSTOP : 0);
        }
    }

    TRadioGroup& group_;
    std::vector<UniqueHwnd> buttons_;
};

class TLabelPeer : public TPeer {
public:
    TLabelPeer(TWindowTree& tree, TLabel& label) : TPeer(tree, label), label_(label) {}

    void Create(HWND parent) override {
        hwnd_.reset(CreateControl(L"STATIC", (ChildStyle() & ~WS_TABSTOP) | AlignStyle(), 0, parent, label_.Caption()));
    }

    HBRUSH CtlColor(HDC dc, HWND) override {
        if (label_.Transparent() || label_.Color() == clDefault) return TransparentColor(dc);
        SetTextColor(dc, IsWindowEnabled(hwnd_.get()) ? ColorRef(label_.Font().Color) : GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, ColorRef(label_.Color()));
        return tree_.Gdi().Brush(label_.Color());
    }

protected:
    void Update(TChange change) override {
        switch (change) {
            case TChange::Alignment:
                SetStyleBits(hwnd_.get(), SS_TYPEMASK | SS_EDITCONTROL, AlignStyle());
                ApplyPlacement();
                break;
            case TChange::Text:
            case TChange::Font:
                TPeer::Update(change);
                ApplyPlacement();
                break;
            case TChange::TabOrder:
                break;
            default:
                TPeer::Update(change);
        }
    }

    // A label that does not wrap takes the size of its text, as the
    // framework's auto-sized labels do, so that no letter is cut off.
    RECT Placement() const override {
        RECT r = TPeer::Placement();
        if (label_.WordWrap()) return r;
        std::wstring text = Utf8ToWide(label_.Caption());
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, tree_.Gdi().Font(label_.Font()));
        RECT extent{0, 0, 0, 0};
        DrawTextW(dc, text.empty() ? L" " : text.c_str(), text.empty() ? 1 : static_cast<int>(text.size()), &extent,
                  DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        const int extra = RectWidth(extent) - RectWidth(r);
        if (extra > 0) {
            if (label_.Alignment() == taRightJustify)
                r.left -= extra;
            else if (label_.Alignment() == taCenter)
                r.left -= extra / 2;
            r.right = r.left + RectWidth(extent);
        }
        r.bottom = std::max(r.bottom, static_cast<LONG>(r.top + RectHeight(extent)));
        return r;
    }

private:
    DWORD AlignStyle() const {
        DWORD style = SS_NOPREFIX;
        switch (label_.Alignment()) {
            case taCenter: style |= SS_CENTER; break;
            case taRightJustify: style |= SS_RIGHT; break;
            default: style |= label_.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP;
        }
        // Long words break too, and a last line that does not fit is left out.
        if (label_.WordWrap()) style |= SS_EDITCONTROL;
        return style;
    }

    TLabel& label_;
};

// Colours of edits, memos: the control's colour (the window colour by
// default, the page colour for the read-only edits that say so).
HBRUSH EditColor(TWindowTree& tree, const TControl& control, HWND hwnd, HDC dc) {
    if (!IsWindowEnabled(hwnd)) return nullptr;
    const TColor color = control.Color() == clDefault ? clWindow : control.Color();
    SetTextColor(dc, ColorRef(control.Font().Color));
    SetBkColor(dc, ColorRef(color));
    return tree.Gdi().Brush(color);
}

class TEditPeer : public TPeer {
public:
    TEditPeer(TWindowTree& tree, TEdit& edit) : TPeer(tree, edit), edit_(edit) {}

    void Create(HWND parent) override {
        DWORD style = ChildStyle() | ES_AUTOHSCROLL | (edit_.ReadOnly() ? ES_READONLY : 0);
        TPushing pushing(pushing_);
        hwnd_.reset(CreateControl(L"EDIT", style, WS_EX_CLIENTEDGE, parent, edit_.Text()));
        SendMessageW(hwnd_.get(), EM_LIMITTEXT, static_cast<WPARAM>(edit_.MaxLength()), 0);
    }

    void Command(WORD code, HWND) override {
        if (code != EN_CHANGE || pushing_) return;
        edit_.UserType(WideToUtf8(WindowText(hwnd_.get())));
        // What the model refused or cut shows as the model holds it.
        if (control_) {
            TPushing pushing(pushing_);
            SetWindowTextIfChanged(hwnd_.get(), edit_.Text());
        }
    }

    HBRUSH CtlColor(HDC dc, HWND) override { return EditColor(tree_, edit_, hwnd_.get(), dc); }

protected:
    void Update(TChange change) override {
        switch (change) {
            case TChange::ReadOnly:
                SendMessageW(hwnd_.get(), EM_SETREADONLY, edit_.ReadOnly(), 0);
                break;
            case TChange::MaxLength:
                SendMessageW(hwnd_.get(), EM_LIMITTEXT, static_cast<WPARAM>(edit_.MaxLength()), 0);
                break;
            default:
                TPeer::Update(change);
        }
    }

private:
    TEdit& edit_;
};

// Memo: a multi-line edit showing its lines joined by CR LF; it takes Enter
// itself (no default button from inside it).
class TMemoPeer : public TPeer {
public:
    TMemoPeer(TWindowTree& tree, TMemo& memo) : TPeer(tree, memo), memo_(memo) {}

    void Create(HWND parent) override {
        DWORD style = ChildStyle() | ES_MULTILINE | ES_AUTOVSCROLL | (memo_.ReadOnly() ? ES_READONLY : 0);
        if (!memo_.WordWrap()) style |= ES_AUTOHSCROLL;
        if (memo_.ScrollBars() == ssVertical || memo_.ScrollBars() == ssBoth) style |= WS_VSCROLL;
        if (memo_.ScrollBars() == ssHorizontal || memo_.ScrollBars() == ssBoth) style |= WS_HSCROLL;
        if (memo_.Alignment() == taCenter) style |= ES_CENTER;
        if (memo_.Alignment() == taRightJustify) style |= ES_RIGHT;
        TPushing pushing(pushing_);
        hwnd_.reset(CreateControl(L"EDIT", style, WS_EX_CLIENTEDGE, parent, Joined()));
        if (built_) FitHeight();
    }

    void TreeBuilt() override {
        built_ = true;
        FitHeight();
    }

    HBRUSH CtlColor(HDC dc, HWND) override { return EditColor(tree_, memo_, hwnd_.get(), dc); }

protected:
    void Update(TChange change) override {
        switch (change) {
            case TChange::Lines:
            case TChange::Text:
                SetWindowTextIfChanged(hwnd_.get(), Joined());
                if (built_) FitHeight();
                break;
            case TChange::ReadOnly:
                SendMessageW(hwnd_.get(), EM_SETREADONLY, memo_.ReadOnly(), 0);
                break;
            case TChange::ScrollBars:
            case TChange::Alignment:
                Recreate();
                break;
            case TChange::Bounds:
            case TChange::Font:
                TPeer::Update(change);
                if (built_) FitHeight();
                break;
            default:
                TPeer::Update(change);
        }
    }

private:
    // A read-only text without scroll bars shows whole: where the designed
    // height cuts its last lines off (wider fonts, other resolutions), the
    // memo grows downwards into free room on its page, never over another
    // visible control; what still does not fit gets a vertical scroll bar.
    void FitHeight() {
        HWND hwnd = hwnd_.get();
        HWND parent = GetParent(hwnd);
        const RECT design = TPeer::Placement();
        if (!memo_.ReadOnly() || memo_.ScrollBars() != ssNone || !parent) return;
        const int room = std::max(RoomBelow(parent, design), static_cast<int>(RectHeight(design)));
        bool scroll = false;
        int height = RectHeight(design);
        // Twice at most: a scroll bar narrows the text, which may wrap more.
        for (int pass = 0; pass < 2; ++pass) {
            SetWindowPos(hwnd, nullptr, 0, 0, RectWidth(design), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            const int needed = NeededHeight();
            height = std::clamp(needed, static_cast<int>(RectHeight(design)), room);
            const bool fits = needed <= height;
            if (fits == !scroll) break;
            scroll = !fits;
            ShowScrollBar(hwnd, SB_VERT, scroll);
        }
        SetWindowPos(hwnd, nullptr, 0, 0, RectWidth(design), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // The window height that shows every (wrapped) line, measured on the
    // edit itself: where its first line starts and how far apart lines are.
    int NeededHeight() const {
        HWND hwnd = hwnd_.get();
        RECT window, client;
        GetWindowRect(hwnd, &window);
        GetClientRect(hwnd, &client);
        auto lineTop = [hwnd](WPARAM line) {
            const LRESULT index = SendMessageW(hwnd, EM_LINEINDEX, line, 0);
            return static_cast<int>(static_cast<short>(HIWORD(SendMessageW(hwnd, EM_POSFROMCHAR, index, 0))));
        };
        const auto lines = static_cast<int>(SendMessageW(hwnd, EM_GETLINECOUNT, 0, 0));
        const auto firstVisible = static_cast<WPARAM>(SendMessageW(hwnd, EM_GETFIRSTVISIBLELINE, 0, 0));
        const TEXTMETRICW tm = tree_.Gdi().Metrics(memo_.Font());
        int lineHeight = tm.tmHeight + tm.tmExternalLeading;
        if (lines >= 2 && SendMessageW(hwnd, EM_LINELENGTH, SendMessageW(hwnd, EM_LINEINDEX, 1, 0), 0) > 0)
            lineHeight = std::max(lineTop(1) - lineTop(0), 1);
        const int textTop = std::max(lineTop(firstVisible), 0);
        return textTop + lines * lineHeight + (RectHeight(window) - RectHeight(client)) + 1;
    }

    // The height the memo may take: down to the next visible control below
    // it, or to the bottom of its parent, keeping a small gap.
    int RoomBelow(HWND parent, const RECT& design) const {
        const int gap = tree_.Scaler()(4);
        RECT area;
        GetClientRect(parent, &area);
        int bottom = area.bottom - gap;
        for (HWND sibling = GetWindow(parent, GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
            if (sibling == hwnd_.get() || !(GetWindowLongPtrW(sibling, GWL_STYLE) & WS_VISIBLE)) continue;
            RECT r;
            GetWindowRect(sibling, &r);
            MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
            if (r.top >= design.top && r.left < design.right && r.right > design.left)
                bottom = std::min(bottom, static_cast<int>(r.top) - gap);
        }
        return std::max(bottom - static_cast<int>(design.top), 0);
    }

    std::string Joined() const {
        std::string text;
        for (int i = 0; i < memo_.Lines().Count(); ++i) {
            if (i > 0) text += "\r\n";
            text += memo_.Lines()[i];
        }
        return text;
    }

    TMemo& memo_;
    bool built_ = false;
};

// Combo box. The list is shown in the model's order: the model sorts sorted
// lists itself with the program's own comparison, so the window must not
// sort again (CBS_SORT would order by the locale and the indices of the
// window and the model would drift apart).
class TComboBoxPeer : public TPeer {
public:
    TComboBoxPeer(TWindowTree& tree, TComboBox& box) : TPeer(tree, box), box_(box) {}

    void Create(HWND parent) override {
        DWORD style = ChildStyle() | WS_VSCROLL |
                      (box_.Style() == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL);
        TPushing pushing(pushing_);
        hwnd_.reset(CreateControl(L"COMBOBOX", style, 0, parent, ""));
        SendMessageW(hwnd_.get(), CB_LIMITTEXT, static_cast<WPARAM>(box_.MaxLength()), 0);
        // The drop-down list shows eight items at a time.
        const auto item = static_cast<int>(SendMessageW(hwnd_.get(), CB_GETITEMHEIGHT, 0, 0));
        listHeight_ = std::max(item, 1) * 8 + 2;
        ApplyPlacement();
        FillList();
    }

    void Command(WORD code, HWND) override {
        if (pushing_) return;
        switch (code) {
            case CBN_DROPDOWN:
                // The handler may fill the list now, before it opens.
                box_.UserDropDown();
                break;
            case CBN_SELCHANGE: {
                const auto index = static_cast<int>(SendMessageW(hwnd_.get(), CB_GETCURSEL, 0, 0));
                if (index >= 0) box_.UserPick(index);
                break;
            }
            case CBN_EDITCHANGE: {
                // Selecting a list item now would replace what is being typed.
                TPushing typing(typing_);
                box_.UserType(WideToUtf8(WindowText(hwnd_.get())));
                if (control_) {
                    TPushing pushing(pushing_);
                    SetWindowTextIfChanged(hwnd_.get(), box_.Text());
                }
                break;
            }
            default:
                break;
        }
    }

protected:
    RECT Placement() const override {
        RECT r = TPeer::Placement();
        r.bottom += listHeight_;
        return r;
    }

    void Update(TChange change) override {
        switch (change) {
            case TChange::Items:
                FillList();
                break;
            case TChange::ItemIndex:
            case TChange::Text:
                SyncSelection();
                break;
            case TChange::MaxLength:
                SendMessageW(hwnd_.get(), CB_LIMITTEXT, static_cast<WPARAM>(box_.MaxLength()), 0);
                break;
            case TChange::Style:
                if (((GetWindowLongPtrW(hwnd_.get(), GWL_STYLE) & 3) == CBS_DROPDOWNLIST) !=
                    (box_.Style() == csDropDownList))
                    Recreate();
                break;
            case TChange::Font:
                TPeer::Update(change);
                ApplyPlacement();
                break;
            default:
                TPeer::Update(change);
        }
    }

private:
    void FillList() {
        HWND hwnd = hwnd_.get();
        SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
        for (int i = 0; i < box_.Items().Count(); ++i)
            SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(box_.Items()[i]).c_str()));
        SyncSelection();
    }

    void SyncSelection() {
        HWND hwnd = hwnd_.get();
        const int index = box_.ItemIndex();
        if (!typing_ && static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)) != index)
            SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (box_.Style() != csDropDownList) SetWindowTextIfChanged(hwnd, box_.Text());
    }

    TComboBox& box_;
    int listHeight_ = 0;
    bool typing_ = false;
};

class TCheckBoxPeer : public TPeer {
public:
    TCheckBoxPeer(TWindowTree& tree, TCheckBox& box) : TPeer(tree, box), box_(box) {}

    void Create(HWND parent) override {
        hwnd_.reset(CreateControl(L"BUTTON", ChildStyle() | BS_AUTOCHECKBOX | LayoutStyle(), 0, parent, box_.Caption()));
        SyncCheck();
    }

    void Command(WORD code, HWND) override {
        if (code != BN_CLICKED || pushing_) return;
        box_.UserToggle();
        if (control_) SyncCheck();
    }

    HBRUSH CtlColor(HDC dc, HWND) override { return TransparentColor(dc); }

protected:
    void Update(TChange change) override {
        switch (change) {
            case TChange::Checked:
                SyncCheck();
                break;
            case TChange::Alignment:
                SetStyleBits(hwnd_.get(), BS_LEFTTEXT | BS_MULTILINE, LayoutStyle());
                break;
            default:
                TPeer::Update(change);
        }
    }

private:
    // taLeftJustify puts the caption left of the box.
    DWORD LayoutStyle() const {
        return (box_.Alignment() == taLeftJustify ? BS_LEFTTEXT : 0) | (box_.WordWrap() ? BS_MULTILINE : 0);
    }

    void SyncCheck() {
        TPushing pushing(pushing_);
        const bool on = box_.Checked();
        if ((SendMessageW(hwnd_.get(), BM_GETCHECK, 0, 0) == BST_CHECKED) != on)
            SendMessageW(hwnd_.get(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    TCheckBox& box_;
};

}  // namespace

// Push button; visible to the tree for the default-button rules.
class TButtonPeer : public TPeer {
public:
    TButtonPeer(TWindowTree& tree, TButton& button) : TPeer(tree, button), button_(button) {}

    void Create(HWND parent) override {
        hwnd_.reset(CreateControl(L"BUTTON", ChildStyle() | (button_.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0,
                                  parent, button_.Caption()));
    }

    void Command(WORD code, HWND) override {
        if (code == BN_CLICKED && !pushing_) button_.Click();
    }

    const TButton* Button() const { return control_ ? &button_ : nullptr; }

    void ShowAsDefault(bool isDefault) {
        HWND hwnd = hwnd_.get();
        const auto type = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
        const DWORD wanted = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (type != wanted) SendMessageW(hwnd, BM_SETSTYLE, wanted, TRUE);
    }

protected:
    void Update(TChange change) override {
        if (change == TChange::Default)
            tree_.UpdateDefaultButtons();
        else
            TPeer::Update(change);
    }

    // The focused button looks like the default; when the focus leaves the
    // buttons, the designed defaults do again.
    bool ControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_SETFOCUS && message != WM_KILLFOCUS) return false;
        result = DefSubclassProc(hwnd, message, wParam, lParam);
        tree_.UpdateDefaultButtons(message == WM_SETFOCUS ? hwnd : reinterpret_cast<HWND>(wParam));
        return true;
    }

private:
    TButton& button_;
};

// ---- TWindowTree

TWindowTree::TWindowTree(TForm& form) : form_(form), scaler_(ScreenDpi()), gdi_(scaler_) {
    win32class::RegisterAll();
    root_ = Build(form, nullptr);
    for (auto& peer : peers_) peer->TreeBuilt();
}

TWindowTree::~TWindowTree() {
    for (auto& peer : peers_) peer->Detach();
    // Destroying the form destroys every window in it; each peer lets go of its own.
    if (root_) root_->hwnd_.reset();
    peers_.clear();
}

HWND TWindowTree::Root() const { return root_ ? root_->Handle() : nullptr; }

TPeer* TWindowTree::PeerOf(HWND hwnd) const {
    auto found = handles_.find(hwnd);
    return found == handles_.end() ? nullptr : found->second;
}

TPeer* TWindowTree::PeerOf(const TControl* control) const {
    if (!control) return nullptr;
    auto* peer = dynamic_cast<TPeer*>(control->Peer());
    return peer && &peer->tree_ == this ? peer : nullptr;
}

namespace {
std::unique_ptr<TPeer> MakePeer(TWindowTree& tree, TControl& control) {
    if (auto* c = dynamic_cast<TForm*>(&control)) return std::make_unique<TFormPeer>(tree, *c);
    if (auto* c = dynamic_cast<TPageControl*>(&control)) return std::make_unique<TPageControlPeer>(tree, *c);
    if (auto* c = dynamic_cast<TTabSheet*>(&control)) return std::make_unique<TTabSheetPeer>(tree, *c);
    if (auto* c = dynamic_cast<TGroupBox*>(&control)) return std::make_unique<TBoxPeer>(tree, *c, true);
    if (auto* c = dynamic_cast<TWinControl*>(&control)) return std::make_unique<TBoxPeer>(tree, *c, false);
    if (auto* c = dynamic_cast<TRadioGroup*>(&control)) return std::make_unique<TRadioGroupPeer>(tree, *c);
    if (auto* c = dynamic_cast<TCheckBox*>(&control)) return std::make_unique<TCheckBoxPeer>(tree, *c);
    if (auto* c = dynamic_cast<TButton*>(&control)) return std::make_unique<TButtonPeer>(tree, *c);
    if (auto* c = dynamic_cast<TMemo*>(&control)) return std::make_unique<TMemoPeer>(tree, *c);
    if (auto* c = dynamic_cast<TComboBox*>(&control)) return std::make_unique<TComboBoxPeer>(tree, *c);
    if (auto* c = dynamic_cast<TEdit*>(&control)) return std::make_unique<TEditPeer>(tree, *c);
    if (auto* c = dynamic_cast<TLabel*>(&control)) return std::make_unique<TLabelPeer>(tree, *c);
    return nullptr;
}
}  // namespace

TPeer* TWindowTree::Build(TControl& control, HWND parent) {
    std::unique_ptr<TPeer> made = MakePeer(*this, control);
    if (!made) return nullptr;
    TPeer* peer = made.get();
    peers_.push_back(std::move(made));
    control.SetPeer(peer);
    peer->Create(parent);
    if (auto* container = dynamic_cast<TWinControl*>(&control)) {
        const auto* sheet = dynamic_cast<const TTabSheet*>(&control);
        if (sheet && sheet->PageControl() && sheet->PageControl()->ActivePage() != sheet)
            unbuilt_.insert(peer);
        else
            for (TControl* child : TabOrdered(container->Children())) Build(*child, peer->ClientHandle());
    }
    peer->ChildrenCreated();
    return peer;
}

void TWindowTree::Realize(const TControl& control) {
    if (unbuilt_.empty()) return;
    // Outer pages first: a page inside a page gets its peer with the outer one.
    std::vector<const TControl*> chain;
    for (const TControl* c = &control; c; c = c->Parent()) chain.push_back(c);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        TPeer* peer = PeerOf(*it);
        if (!peer || !unbuilt_.erase(peer)) continue;
        const std::size_t first = peers_.size();
        for (TControl* child : TabOrdered(static_cast<TWinControl*>(peer->Control())->Children()))
            Build(*child, peer->ClientHandle());
        for (std::size_t i = first; i < peers_.size(); ++i) peers_[i]->TreeBuilt();
    }
}

TPeer* TWindowTree::EnabledDefaultButton() const {
    for (const auto& peer : peers_) {
        auto* button = dynamic_cast<TButtonPeer*>(peer.get());
        if (!button || !button->Button() || !button->Handle()) continue;
        const TButton& b = *button->Button();
        if (b.Default() && b.Enabled() && b.Showing() && IsWindowEnabled(button->Handle()) &&
            IsWindowVisible(button->Handle()))
            return button;
    }
    return nullptr;
}

void TWindowTree::UpdateDefaultButtons(HWND focus) {
    auto* focused = dynamic_cast<TButtonPeer*>(PeerOf(focus));
    for (const auto& peer : peers_) {
        auto* button = dynamic_cast<TButtonPeer*>(peer.get());
        if (!button || !button->Button() || !button->Handle()) continue;
        button->ShowAsDefault(focused ? button == focused : button->Button()->Default());
    }
}

void TWindowTree::UpdateDefaultButtons() { UpdateDefaultButtons(GetFocus()); }

void TWindowTree::MoveFocusOffOf(HWND hwnd) {
    HWND focus = GetFocus();
    HWND root = Root();
    if (!hwnd || !root || !Contains(hwnd, focus) || hwnd == root) return;
    HWND next = focus;
    for (std::size_t guard = 0; guard <= handles_.size(); ++guard) {
        next = GetNextDlgTabItem(root, next, FALSE);
        if (!next || next == focus) break;
        if (!Contains(hwnd, next)) {
            SetFocus(next);
            return;
        }
    }
    SetFocus(root);
}

HWND TWindowTree::FirstTabStop(HWND container) {
    for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_EXSTYLE));
        if (style & WS_TABSTOP) return child;
        if (exStyle & WS_EX_CONTROLPARENT)
            if (HWND inner = FirstTabStop(child)) return inner;
    }
    return nullptr;
}

void TWindowTree::HandleError(std::exception_ptr error) noexcept {
    try {
        Application().HandleException(error);
    } catch (...) {
        // The error box itself failed: nothing more can be shown.
    }
}

// ---- window classes

void win32class::RegisterAll() {
    static bool registered = false;
    if (registered) return;
    for (const wchar_t* name : {Form, PageControl, TabSheet, Box}) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = name == Form ? 0u : static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
        wc.lpfnWndProc = TPeer::ContainerProc;
        wc.hInstance = Instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = name;
        if (name == Form) {
            wc.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
            wc.hIconSm = wc.hIcon;
        }
        // Painting is the peers' (WM_ERASEBKGND): no class brush.
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw Exception("Nie można zarejestrować klasy okna: " + SystemErrorText(GetLastError()));
    }
    registered = true;
}
