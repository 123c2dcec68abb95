// The peers of the kinds of control, one section each: the window the kind
// is made as (Args), what it does once made (Created), the model's changes
// it shows (Update) and the notifications it turns into user actions
// (Command). MakePeer at the end picks a control's peer by its kind.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/WideText.h"
#include "ui/ComCtrls.h"
#include "ui/StdCtrls.h"
#include "ui/win32/Win32WindowTree.h"

namespace {

void SetCheck(HWND button, bool on) {
    if ((SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) != on)
        SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The default button that Enter presses: default, enabled and showing.
TPeer* EnabledDefaultButton(const TWindowTree& tree);

// ---- Form: a top-level window with a dialog frame, sized by its client
// area and centred on the screen when it first shows.

class TFormPeer : public TPeer {
public:
    TFormPeer(TWindowTree& tree, TForm& form) : TPeer(tree, form), form_(form) {}

    void ChildrenCreated() override {
        if (form_.Visible()) ShowForm();
    }

    HBRUSH Background() override {
        return tree_.Gdi().Brush(form_.Color() == clDefault ? clWindow : form_.Color());
    }

protected:
    TCreateArgs Args() const override {
        const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        const DWORD exStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME;
        RECT frame = ClientRect();
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        return TCreateArgs{win32class::Form, style, exStyle, form_.Caption(), frame, TBinding::OwnClass};
    }

    void Created() override {
        if (HICON icon = LoadIconW(Instance(), MAKEINTRESOURCEW(1))) {
            SendMessageW(hwnd_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
            SendMessageW(hwnd_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        }
        FitClient();
    }

    // Hiding, enabling: as any control (the focus never has to leave the form).
    void Update(TChange change) override {
        if (change == TChange::Visible && form_.Visible())
            ShowForm();
        else
            TPeer::Update(change);
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
                if (TPeer* button = EnabledDefaultButton(tree_))
                    result = MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID);
                return true;
            case DM_SETDEFID:
                // The design decides which buttons are default.
                result = TRUE;
                return true;
            case WM_COMMAND:
                if (TPeer::ContainerMessage(hwnd, message, wParam, lParam, result)) return true;
                if (LOWORD(wParam) == IDOK) {
                    if (TPeer* button = EnabledDefaultButton(tree_))
                        tree_.Guard([&] { button->Notified(BN_CLICKED, button->Handle()); });
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
        if (!shownOnce_) {
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
    bool shownOnce_ = false;
    HWND lastFocus_ = nullptr;
};

// ---- Page control: shows the active sheet, paints its own background
// (never its parent's) and a frame, and has no tab headers.

class TPageControlPeer : public TPeer {
public:
    TPageControlPeer(TWindowTree& tree, TPageControl& pages) : TPeer(tree, pages), pages_(pages) {}

protected:
    TCreateArgs Args() const override { return ContainerArgs(win32class::PageControl); }

    void Update(TChange change) override {
        if (change == TChange::Selection)
            SwitchPages();
        else
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

// ---- Tab sheet: a plain child window, shown while it is the active page.

class TTabSheetPeer : public TPeer {
public:
    TTabSheetPeer(TWindowTree& tree, TTabSheet& sheet) : TPeer(tree, sheet), sheet_(sheet) {}

    HBRUSH Background() override {
        return sheet_.Color() != clDefault ? tree_.Gdi().Brush(sheet_.Color()) : ParentBackground();
    }

protected:
    TCreateArgs Args() const override { return ContainerArgs(win32class::TabSheet); }

    bool Shown() const override {
        TPageControl* pages = sheet_.PageControl();
        return sheet_.Visible() && (!pages || pages->ActivePage() == &sheet_);
    }

private:
    TTabSheet& sheet_;
};

// ---- Group box: an etched frame with the caption on it.

class TGroupBoxPeer : public TPeer {
public:
    TGroupBoxPeer(TWindowTree& tree, TControl& box) : TPeer(tree, box) {}

    HBRUSH Background() override {
        return control_->Color() != clDefault ? tree_.Gdi().Brush(control_->Color()) : ParentBackground();
    }

protected:
    TCreateArgs Args() const override { return ContainerArgs(win32class::Box); }

    void Update(TChange change) override {
        // The caption is painted with the frame.
        if (change == TChange::Text || change == TChange::Enabled) InvalidateRect(hwnd_.get(), nullptr, TRUE);
        TPeer::Update(change);
    }

    bool ContainerMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_PAINT) return TPeer::ContainerMessage(hwnd, message, wParam, lParam, result);
        const TPaintDC paint(hwnd);
        PaintFrame(paint.get());
        result = 0;
        return true;
    }

private:
    void PaintFrame(HDC dc) {
        HWND hwnd = hwnd_.get();
        const HBRUSH background = Background();
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, background);
        const TFont font = control_->Font();
        const TSelectObject selected(dc, tree_.Gdi().Font(font));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        RECT frame = client;
        frame.top = tm.tmHeight / 2 - 1;
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        std::wstring caption = Utf8ToWide(control_->Caption());
        if (caption.empty()) return;
        RECT text{tree_.Scaler()(8), 0, client.right, tm.tmHeight};
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        FillRect(dc, &text, background);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, IsWindowEnabled(hwnd) ? ColorRef(font.Color) : GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_NOPREFIX);
    }
};

// ---- Radio group: a group box with one auto radio button per item, laid
// out as the framework does (one column, equal rows under the caption).

class TRadioGroupPeer : public TGroupBoxPeer {
public:
    TRadioGroupPeer(TWindowTree& tree, TRadioGroup& group) : TGroupBoxPeer(tree, group), group_(group) {}

    HBRUSH CtlColor(HDC dc, HWND) override { return TransparentColor(dc); }

    void Released(HWND hwnd) override {
        if (hwnd == hwnd_.get())
            for (auto& button : buttons_) button.release();
        TPeer::Released(hwnd);
    }

protected:
    // The group itself is not a Tab stop; its checked button is.
    void Created() override { CreateButtons(); }

    void Command(WORD code, HWND from) override {
        if (code != BN_CLICKED) return;
        for (std::size_t i = 0; i < buttons_.size(); ++i)
            if (buttons_[i].get() == from) group_.UserSelect(static_cast<int>(i));
        // The model may have refused (disabled): show what it holds.
        if (control_) Pushing([&] { SyncChecks(); });
    }

    void Update(TChange change) override {
        if (change == TChange::Items) CreateButtons();
        if (change == TChange::Selection) SyncChecks();
        if (change == TChange::Enabled)
            for (auto& button : buttons_) EnableWindow(button.get(), group_.Enabled());
        TGroupBoxPeer::Update(change);
    }

private:
    void CreateButtons() {
        for (auto& button : buttons_) tree_.MoveFocusOffOf(button.get());
        buttons_.clear();
        for (int i = 0; i < group_.Items().Count(); ++i) {
            DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
            if (!group_.Enabled()) style |= WS_DISABLED;
            buttons_.emplace_back(
                CreateControl(TCreateArgs{L"BUTTON", style, 0, group_.Items()[i], RECT{}, TBinding::None}, hwnd_.get()));
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
        const int checked = group_.ItemIndex();
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            SetCheck(buttons_[i].get(), static_cast<int>(i) == checked);
            const bool stop = group_.TabStop() && static_cast<int>(i) == std::max(checked, 0);
            SetStyleBits(buttons_[i].get(), WS_TABSTOP, stop ? WS_TABSTOP : 0);
        }
    }

    TRadioGroup& group_;
    std::vector<UniqueHwnd> buttons_;
};

// ---- Label: static text. One that does not wrap takes the size of its
// text, as the framework's auto-sized labels do, so that no letter is cut off.

class TLabelPeer : public TPeer {
public:
    TLabelPeer(TWindowTree& tree, TLabel& label) : TPeer(tree, label), label_(label) {}

    HBRUSH CtlColor(HDC dc, HWND) override {
        if (label_.Transparent() || label_.Color() == clDefault) return TransparentColor(dc);
        SetTextColor(dc, IsWindowEnabled(hwnd_.get()) ? ColorRef(label_.Font().Color) : GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, ColorRef(label_.Color()));
        return tree_.Gdi().Brush(label_.Color());
    }

protected:
    TCreateArgs Args() const override {
        DWORD style = SS_NOPREFIX;
        switch (label_.Alignment()) {
            case taCenter: style |= SS_CENTER; break;
            case taRightJustify: style |= SS_RIGHT; break;
            default: style |= label_.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP;
        }
        // Long words break too, and a last line that does not fit is left out.
        if (label_.WordWrap()) style |= SS_EDITCONTROL;
        TCreateArgs args = ChildArgs(L"STATIC", style, label_.Caption());
        args.Style &= ~WS_TABSTOP;
        return args;
    }

    void Update(TChange change) override {
        TPeer::Update(change);
        if (change == TChange::Text) ApplyPlacement();
    }

    RECT Placement() const override {
        RECT r = TPeer::Placement();
        if (label_.WordWrap()) return r;
        const std::wstring text = Utf8ToWide(label_.Caption());
        const SIZE extent = tree_.Gdi().TextExtent(label_.Font(), text.empty() ? L" " : text);
        const int extra = extent.cx - RectWidth(r);
        if (extra > 0) {
            if (label_.Alignment() == taRightJustify)
                r.left -= extra;
            else if (label_.Alignment() == taCenter)
                r.left -= extra / 2;
            r.right = r.left + extent.cx;
        }
        r.bottom = std::max(r.bottom, r.top + extent.cy);
        return r;
    }

private:
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

// ---- Edit: a single-line edit; also the data-aware one.

class TEditPeer : public TPeer {
public:
    TEditPeer(TWindowTree& tree, TEdit& edit) : TPeer(tree, edit), edit_(edit) {}

    HBRUSH CtlColor(HDC dc, HWND) override { return EditColor(tree_, edit_, hwnd_.get(), dc); }

protected:
    TCreateArgs Args() const override {
        TCreateArgs args = ChildArgs(L"EDIT", ES_AUTOHSCROLL | (edit_.ReadOnly() ? ES_READONLY : 0), edit_.Text());
        args.ExStyle = WS_EX_CLIENTEDGE;
        return args;
    }

    void Created() override { SendMessageW(hwnd_.get(), EM_LIMITTEXT, static_cast<WPARAM>(edit_.MaxLength()), 0); }

    void Command(WORD code, HWND) override {
        if (code != EN_CHANGE) return;
        edit_.UserType(WideToUtf8(WindowText(hwnd_.get())));
        // What the model refused or cut shows as the model holds it.
        if (control_) Pushing([&] { SetWindowTextIfChanged(hwnd_.get(), edit_.Text()); });
    }

private:
    TEdit& edit_;
};

// ---- Memo: a multi-line edit showing its lines joined by CR LF; it takes
// Enter itself (no default button from inside it).

class TMemoPeer : public TPeer {
public:
    TMemoPeer(TWindowTree& tree, TMemo& memo) : TPeer(tree, memo), memo_(memo) {}

    void TreeBuilt() override {
        built_ = true;
        FitHeight();
    }

    HBRUSH CtlColor(HDC dc, HWND) override { return EditColor(tree_, memo_, hwnd_.get(), dc); }

protected:
    TCreateArgs Args() const override {
        const DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | (memo_.ReadOnly() ? ES_READONLY : 0);
        TCreateArgs args = ChildArgs(L"EDIT", style, Joined());
        args.ExStyle = WS_EX_CLIENTEDGE;
        return args;
    }

    void Update(TChange change) override {
        if (change != TChange::Items && change != TChange::Text) return TPeer::Update(change);
        SetWindowTextIfChanged(hwnd_.get(), Joined());
        if (built_) FitHeight();
    }

private:
    // A read-only text shows whole: where the designed height cuts its last
    // lines off (wider fonts, other resolutions), the memo grows downwards
    // into free room on its page, never over another visible control; what
    // still does not fit gets a vertical scroll bar.
    void FitHeight() {
        HWND hwnd = hwnd_.get();
        HWND parent = GetParent(hwnd);
        const RECT design = TPeer::Placement();
        if (!memo_.ReadOnly() || !parent) return;
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

// ---- Combo box. The list is shown in the model's order: the model sorts
// sorted lists itself with the program's own comparison, so the window must
// not sort again (CBS_SORT would order by the locale and the indices of the
// window and the model would drift apart).

class TComboBoxPeer : public TPeer {
public:
    TComboBoxPeer(TWindowTree& tree, TComboBox& box) : TPeer(tree, box), box_(box) {}

protected:
    TCreateArgs Args() const override {
        return ChildArgs(L"COMBOBOX",
                         WS_VSCROLL | (box_.Style() == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL),
                         "");
    }

    void Created() override {
        SendMessageW(hwnd_.get(), CB_LIMITTEXT, static_cast<WPARAM>(box_.MaxLength()), 0);
        // The drop-down list shows eight items at a time.
        const auto item = static_cast<int>(SendMessageW(hwnd_.get(), CB_GETITEMHEIGHT, 0, 0));
        listHeight_ = std::max(item, 1) * 8 + 2;
        ApplyPlacement();
        FillList();
    }

    void Command(WORD code, HWND) override {
        if (code == CBN_DROPDOWN) {
            // The handler may fill the list now, before it opens.
            box_.UserDropDown();
        } else if (code == CBN_SELCHANGE) {
            const auto index = static_cast<int>(SendMessageW(hwnd_.get(), CB_GETCURSEL, 0, 0));
            if (index >= 0) box_.UserPick(index);
        } else if (code == CBN_EDITCHANGE) {
            // Selecting a list item now would replace what is being typed.
            const TFlagScope typing(typing_);
            box_.UserType(WideToUtf8(WindowText(hwnd_.get())));
            if (control_) Pushing([&] { SetWindowTextIfChanged(hwnd_.get(), box_.Text()); });
        }
    }

    RECT Placement() const override {
        RECT r = TPeer::Placement();
        r.bottom += listHeight_;
        return r;
    }

    void Update(TChange change) override {
        if (change == TChange::Items)
            FillList();
        else if (change == TChange::Selection || change == TChange::Text)
            SyncSelection();
        else
            TPeer::Update(change);
    }

private:
    void FillList() {
        HWND hwnd = hwnd_.get();
        SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
        // Straight into the box's own list: through the combo box every item
        // would pass our subclass, a property lookup that is a server call
        // under Wine. Room for every item at once, too: grown item by item,
        // the list's storage is copied over and over.
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        HWND list = GetComboBoxInfo(hwnd, &info) && info.hwndList ? info.hwndList : nullptr;
        const UINT initStorage = list ? LB_INITSTORAGE : CB_INITSTORAGE;
        const UINT addString = list ? LB_ADDSTRING : CB_ADDSTRING;
        if (!list) list = hwnd;
        const TStrings& items = box_.Items();
        std::size_t bytes = 0;
        for (int i = 0; i < items.Count(); ++i) bytes += (items[i].size() + 1) * sizeof(wchar_t);
        SendMessageW(list, initStorage, static_cast<WPARAM>(items.Count()), static_cast<LPARAM>(bytes));
        for (int i = 0; i < items.Count(); ++i)
            SendMessageW(list, addString, 0, reinterpret_cast<LPARAM>(Utf8ToWide(items[i]).c_str()));
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

// ---- Check box; taLeftJustify puts the caption left of the box.

class TCheckBoxPeer : public TPeer {
public:
    TCheckBoxPeer(TWindowTree& tree, TCheckBox& box) : TPeer(tree, box), box_(box) {}

    HBRUSH CtlColor(HDC dc, HWND) override { return TransparentColor(dc); }

protected:
    TCreateArgs Args() const override {
        const DWORD layout = (box_.Alignment() == taLeftJustify ? BS_LEFTTEXT : 0) | (box_.WordWrap() ? BS_MULTILINE : 0);
        return ChildArgs(L"BUTTON", BS_AUTOCHECKBOX | layout, box_.Caption());
    }

    void Created() override { SetCheck(hwnd_.get(), box_.Checked()); }

    void Command(WORD code, HWND) override {
        if (code != BN_CLICKED) return;
        box_.UserToggle();
        if (control_) Pushing([&] { SetCheck(hwnd_.get(), box_.Checked()); });
    }

    void Update(TChange change) override {
        if (change == TChange::Selection)
            SetCheck(hwnd_.get(), box_.Checked());
        else
            TPeer::Update(change);
    }

private:
    TCheckBox& box_;
};

// ---- Button: a push button. The focused one looks like the default; when
// the focus leaves the buttons, the designed defaults do again.

class TButtonPeer : public TPeer {
public:
    TButtonPeer(TWindowTree& tree, TButton& button) : TPeer(tree, button), button_(button) {}

    const TButton* Button() const { return control_ ? &button_ : nullptr; }

    void ShowAsDefault(bool isDefault) {
        HWND hwnd = hwnd_.get();
        const auto type = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
        const DWORD wanted = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (type != wanted) SendMessageW(hwnd, BM_SETSTYLE, wanted, TRUE);
    }

protected:
    TCreateArgs Args() const override {
        return ChildArgs(L"BUTTON", button_.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, button_.Caption());
    }

    void Command(WORD code, HWND) override {
        if (code == BN_CLICKED) button_.Click();
    }

    bool ControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_SETFOCUS && message != WM_KILLFOCUS) return false;
        result = DefSubclassProc(hwnd, message, wParam, lParam);
        // `focused`: the window that has (or is getting) the focus.
        HWND focused = message == WM_SETFOCUS ? hwnd : reinterpret_cast<HWND>(wParam);
        auto* focusedButton = dynamic_cast<TButtonPeer*>(tree_.PeerOf(focused));
        for (const auto& peer : tree_.Peers())
            if (auto* button = dynamic_cast<TButtonPeer*>(peer.get()); button && button->Button() && button->Handle())
                button->ShowAsDefault(focusedButton ? button == focusedButton : button->Button()->Default());
        return true;
    }

private:
    TButton& button_;
};

TPeer* EnabledDefaultButton(const TWindowTree& tree) {
    for (const auto& peer : tree.Peers()) {
        auto* button = dynamic_cast<TButtonPeer*>(peer.get());
        if (!button || !button->Button() || !button->Handle()) continue;
        const TButton& b = *button->Button();
        if (b.Default() && b.Enabled() && b.Showing() && IsWindowEnabled(button->Handle()) &&
            IsWindowVisible(button->Handle()))
            return button;
    }
    return nullptr;
}

}  // namespace

// ---- the peer of each kind

std::unique_ptr<TPeer> MakePeer(TWindowTree& tree, TControl& control) {
    switch (control.Kind()) {
        case TControlKind::Form: return std::make_unique<TFormPeer>(tree, static_cast<TForm&>(control));
        case TControlKind::PageControl: return std::make_unique<TPageControlPeer>(tree, static_cast<TPageControl&>(control));
        case TControlKind::TabSheet: return std::make_unique<TTabSheetPeer>(tree, static_cast<TTabSheet&>(control));
        case TControlKind::GroupBox: return std::make_unique<TGroupBoxPeer>(tree, control);
        case TControlKind::RadioGroup: return std::make_unique<TRadioGroupPeer>(tree, static_cast<TRadioGroup&>(control));
        case TControlKind::Label: return std::make_unique<TLabelPeer>(tree, static_cast<TLabel&>(control));
        case TControlKind::Edit: return std::make_unique<TEditPeer>(tree, static_cast<TEdit&>(control));
        case TControlKind::Memo: return std::make_unique<TMemoPeer>(tree, static_cast<TMemo&>(control));
        case TControlKind::ComboBox: return std::make_unique<TComboBoxPeer>(tree, static_cast<TComboBox&>(control));
        case TControlKind::CheckBox: return std::make_unique<TCheckBoxPeer>(tree, static_cast<TCheckBox&>(control));
        case TControlKind::Button: return std::make_unique<TButtonPeer>(tree, static_cast<TButton&>(control));
    }
    return nullptr;
}
