#pragma once
// The component tree shared by every control: names, parent/child links,
// design bounds, fonts and colours, and the view ("peer") that mirrors a
// control on screen. No window system here: the Win32 layer installs peers,
// the unit suites install recording ones or none.
//
// Event rule: a control's events (OnClick, OnChange, OnDropDown...) fire only
// for user actions, which enter through the User...() methods (and Click()).
// Setters called by code change the state and tell the peer what it
// mirrors (TChange), never the events; code that needs a handler to run
// calls the handler itself.
#include <functional>
#include <string>
#include <vector>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// The sender is the component that raised the event.
using TNotifyEvent = std::function<void(TObject& sender)>;

// Design colours; the Win32 layer maps them to RGB or system colours.
enum TColor {
    clDefault,     // what the control kind normally uses (labels: the parent's background)
    clWindow,      // system window colour (edit background, the form)
    clBtnFace,     // the page colour: dialog/button face
    clWindowText,
    clMaroon,
    clOlive,
    clWhite,
    clBlack,
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Layout within the parent's client area, applied by the model itself.
enum TAlign { alNone, alTop, alClient };

// Font at the 104 dpi design; Height is the character height in pixels.
struct TFont {
    std::string Name = "Tahoma";
    int Height = 12;
    bool Bold = false;
    TColor Color = clWindowText;
    bool operator==(const TFont&) const = default;
};

// What changed while the window shows, so that a peer refreshes only that
// part; it reads the new state back from the control. The rest (bounds,
// fonts, colours, Tab order, the kinds' styles, limits and read-only flags)
// is the design: a window takes it when it is made, and it does not change
// afterwards.
enum class TChange {
    Text,        // Caption or Text
    Enabled,
    Visible,
    Items,       // the list: combo box and radio group items, memo lines
    Selection,   // what is chosen: item index, check mark, active page
    Destroying,  // the control is being destroyed: let go of it
};

// The kinds of control; the window layer makes a control's view by its kind.
enum class TControlKind {
    Form, PageControl, TabSheet, GroupBox, RadioGroup, Label, Edit, Memo, ComboBox, CheckBox, Button,
};

class TControl;

// A control's view. Told about every state change, whoever made it (code or
// a user action); a peer skips what its window already shows, which is how
// the Win32 layer avoids echo.
class TControlPeer {
public:
    virtual ~TControlPeer() = default;
    virtual void Changed(TControl& control, TChange change) = 0;
};

class TComponent : public TObject {
public:
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    // Free integer for the program's own use (pages mark their first showing).
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

private:
    std::string name_;
    int tag_ = 0;
};

class TWinControl;

class TControl : public TComponent {
public:
    ~TControl() override;

    virtual TControlKind Kind() const = 0;

    // Parent: the child joins the end of the parent's list (creation order).
    // Adding a control fires no events.
    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);

    TControlPeer* Peer() const { return peer_; }
    void SetPeer(TControlPeer* peer) { peer_ = peer; }

    // Design bounds in pixels at 104 dpi, relative to the parent's client area.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    // The area children are laid out in (same units, origin 0,0).
    int ClientWidth() const { return width_; }
    int ClientHeight() const { return height_; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    // Showing a control can make tab sheets inside it visible: their OnShow fires.
    void SetVisible(bool visible);
    // Visible, and (for a parent) its parent showing; a control without a
    // parent shows when it is visible. Tab sheets add "active in their page control".
    virtual bool Showing() const;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { Assign(enabled_, enabled, TChange::Enabled); }

    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int tabOrder) { tabOrder_ = tabOrder; }
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }

    // One text property serves both Caption (labels, buttons, boxes, forms)
    // and Text (edits, combo boxes).
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& caption) { SetText(caption); }
    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& text) { StoreText(text); }

    // Effective font: the parent's unless this control has its own.
    TFont Font() const;
    void SetFont(const TFont& font) {
        font_ = font;
        parentFont_ = false;
    }

    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }

protected:
    void Notify(TChange change);
    // The one way state that the peer mirrors changes: stores the value and
    // tells the peer, when it differs. Returns whether it did.
    template <class T>
    bool Assign(T& field, const T& value, TChange change) {
        if (field == value) return false;
        field = value;
        Notify(change);
        return true;
    }
    // The plain text write (no overrides).
    bool StoreText(const std::string& text) { return Assign(text_, text, TChange::Text); }
    // Visible without telling the peer (the form shows its window later).
    void StoreVisible(bool visible) { visible_ = visible; }
    // Bounds without re-aligning the parent (alignment itself uses it).
    void ApplyBounds(int left, int top, int width, int height);
    // User actions are accepted only on a control the user can reach.
    // That is: it and its parents enabled, and it showing.
    bool Reachable() const;

private:
    friend class TWinControl;
    friend class TPageControl;  // sizes its sheets
    TWinControl* parent_ = nullptr;
    TControlPeer* peer_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    int tabOrder_ = -1;
    bool tabStop_ = false;
    std::string text_;
    TFont font_;
    bool parentFont_ = true;
    TColor color_ = clDefault;
};

// A control that holds others. Children are not owned: their owner (the
// form) destroys them; either side may go first.
class TWinControl : public TControl {
public:
    ~TWinControl() override;

    const std::vector<TControl*>& Children() const { return children_; }

    // Re-applies alTop/alClient to the children (called on bounds changes).
    virtual void AlignControls();

private:
    friend class TControl;
    std::vector<TControl*> children_;
};

// Runs the OnShow of every tab sheet inside `root` (itself included) that is
// showing now but was not in `before`, outer pages first, in creation order.
// A sheet that stopped showing meanwhile (a handler switched pages) is skipped.
// Exceptions from handlers propagate; the remaining sheets are then skipped.
class TTabSheet;
std::vector<TTabSheet*> ShowingSheets(TControl& root);
void ShowNewlyShowingSheets(TControl& root, const std::vector<TTabSheet*>& before);
