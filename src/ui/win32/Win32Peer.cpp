#include "ui/win32/Win32Peer.h"

#include <commctrl.h>

#include <algorithm>

#include "base/Exception.h"
#include "platform/win32/WideText.h"
#include "ui/win32/Win32WindowTree.h"

// ---- window text and style

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

void SetStyleBits(HWND hwnd, DWORD mask, DWORD bits) {
    auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    DWORD updated = (style & ~mask) | (bits & mask);
    if (updated == style) return;
    SetWindowLongPtrW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(updated));
    InvalidateRect(hwnd, nullptr, TRUE);
}

// ---- making the window

TPeer::~TPeer() {
    Detach();
    hwnd_.reset();
}

void TPeer::Create(HWND parent) {
    Pushing([&] {
        HWND hwnd = CreateControl(Args(), parent);
        if (!hwnd_) hwnd_.reset(hwnd);
        Created();
    });
}

TCreateArgs TPeer::ChildArgs(const wchar_t* className, DWORD style, std::string text) const {
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (Shown()) style |= WS_VISIBLE;
    if (!control_->Enabled()) style |= WS_DISABLED;
    if (control_->TabStop()) style |= WS_TABSTOP;
    return TCreateArgs{className, style, 0, std::move(text), Placement(), TBinding::Subclass};
}

TCreateArgs TPeer::ContainerArgs(const wchar_t* className) const {
    TCreateArgs args = ChildArgs(className, WS_CLIPCHILDREN, control_->Caption());
    args.Style &= ~WS_TABSTOP;
    args.Binding = TBinding::OwnClass;
    return args;
}

HWND TPeer::CreateControl(const TCreateArgs& args, HWND parent) {
    const bool own = args.Binding == TBinding::OwnClass;
    // A top-level window has no control id.
    const auto id = parent ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(tree_.NextId())) : nullptr;
    HWND hwnd = CreateWindowExW(args.ExStyle | (own ? WS_EX_CONTROLPARENT : 0), args.ClassName,
                                Utf8ToWide(args.Text).c_str(), args.Style, parent ? args.Bounds.left : CW_USEDEFAULT,
                                parent ? args.Bounds.top : CW_USEDEFAULT, RectWidth(args.Bounds),
                                RectHeight(args.Bounds), parent, id, Instance(), own ? this : nullptr);
    if (!hwnd) {
        const std::string name = control_ == &tree_.Form() ? "formularza" : control_->Name();
        throw Exception("Nie można utworzyć okna " + name + ": " + SystemErrorText(GetLastError()));
    }
    if (args.Binding == TBinding::Subclass) {
        SetWindowSubclass(hwnd, ControlSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
        tree_.Bind(hwnd, this);
    }
    if (!own) SetFont(hwnd);
    return hwnd;
}

RECT TPeer::Placement() const {
    return tree_.Scaler().Rect(control_->Left(), control_->Top(), control_->Width(), control_->Height());
}

void TPeer::ApplyPlacement() {
    RECT r = Placement();
    SetWindowPos(hwnd_.get(), nullptr, r.left, r.top, RectWidth(r), RectHeight(r), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPeer::SetFont(HWND hwnd) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(tree_.Gdi().Font(control_->Font())), TRUE);
}

// ---- the model's changes, the window's notifications

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
    if (hwnd_) Pushing([&] { Update(change); });
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
            if (!Shown()) tree_.MoveFocusOffOf(hwnd);
            ShowWindow(hwnd, Shown() ? SW_SHOWNA : SW_HIDE);
            break;
        default:
            break;
    }
}

void TPeer::Notified(WORD code, HWND from) {
    if (!pushing_ && control_) Command(code, from);
}

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

// ---- window procedures

bool TPeer::ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND: {
            // A control's notification carries its own id; anything else
            // (IDOK, IDCANCEL from the dialog manager) is the form's.
            auto from = reinterpret_cast<HWND>(lParam);
            if (!from || GetDlgCtrlID(from) != LOWORD(wParam)) return false;
            TPeer* target = tree_.PeerOf(from);
            if (!target) target = this;
            tree_.Guard([&] { target->Notified(HIWORD(wParam), from); });
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
