#pragma once
// Standard controls: label, edit, combo box, check box, radio group, memo,
// button, group box. See Controls.h for the event rule (user actions fire
// events, code changes never do) and for what is design, set before the
// window is made.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Controls.h"

// A list of strings, each of which may own an object (freed with its item).
// Used for combo box items, radio group items and memo lines; every change
// is reported to the owning control, which tells its peer.
class TStrings {
public:
    explicit TStrings(std::function<void()> changed = {}) : changed_(std::move(changed)) {}

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const { return Item(index).Text; }
    // The owned object, or null.
    TObject* Objects(int index) const { return Item(index).Object.get(); }

    // Appends, or on a sorted list inserts after the items that compare equal
    // or less (without regard to case). Returns the new item's index.
    int Add(std::string text) { return AddObject(std::move(text), nullptr); }
    int AddObject(std::string text, std::unique_ptr<TObject> object);
    // Frees the owned objects.
    void Clear();
    // Index of the first item equal to text without regard to case, or -1.
    int IndexOf(std::string_view text) const;

    // Replaces everything (objects freed); a sorted list sorts the new lines.
    void Assign(const std::vector<std::string>& lines);
    std::vector<std::string> ToVector() const;

    bool Sorted() const { return sorted_; }
    // Turning sorting on sorts the present items (stable).
    void SetSorted(bool sorted);

private:
    struct TItem {
        std::string Text;
        std::unique_ptr<TObject> Object;
    };
    const TItem& Item(int index) const;
    void Changed() const;

    std::function<void()> changed_;
    std::vector<TItem> items_;
    bool sorted_ = false;
};

// Static text. Captions are set by code only.
class TLabel : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::Label; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment) { alignment_ = alignment; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap) { wordWrap_ = wordWrap; }
    // Transparent labels show the parent's background; otherwise Color().
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent) { transparent_ = transparent; }

private:
    TAlignment alignment_ = taLeftJustify;
    bool wordWrap_ = false;
    bool transparent_ = true;
};

// Single-line edit.
class TEdit : public TControl {
public:
    TEdit() { SetTabStop(true); }
    TControlKind Kind() const override { return TControlKind::Edit; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // Characters (not bytes) the user may type; 0 means no limit. Like the
    // window's own limit it does not cut text set by code.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int maxLength) { maxLength_ = maxLength; }

    TNotifyEvent OnChange;

    // The user changed the text to `text` (cut to MaxLength). Ignored when
    // read-only, disabled or hidden. Fires OnChange when the text differs.
    virtual void UserType(const std::string& text);

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
};

enum TComboBoxStyle {
    csDropDown,      // editable text with a drop-down list
    csDropDownList,  // pick only; the text is the picked item's
};

class TComboBox : public TControl {
public:
    TComboBox();
    TControlKind Kind() const override { return TControlKind::ComboBox; }

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    bool Sorted() const { return items_.Sorted(); }
    void SetSorted(bool sorted) { items_.SetSorted(sorted); }
    // Characters the user may type; 0 means no limit; code is not cut.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int maxLength) { maxLength_ = maxLength; }

    // Changing the list keeps the text. Clearing the list of a csDropDownList
    // box also empties its text (it shows only picked items). ItemIndex
    // follows the text: after a list change it is the index of the item equal
    // to the text without regard to case, or -1.
    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }

    int ItemIndex() const { return itemIndex_; }
    // Selects an item and shows its text; -1 (or out of range) selects none
    // and empties the text, as the window does.
    void SetItemIndex(int index);
    // Editable box: the text, and ItemIndex := the equal item (without regard
    // to case) or -1. csDropDownList: selects the equal item, or none.
    void SetText(const std::string& text) override;
    // Empties both the list and the text.
    void Clear();

    TNotifyEvent OnChange;    // user typed, or picked an item
    TNotifyEvent OnDropDown;  // the user opens the list (handlers fill it here)

    // User actions (ignored when disabled or hidden):
    // typing into an editable box (cut to MaxLength); fires OnChange when the text differs.
    void UserType(const std::string& text);
    // picking item `index` from the list; fires OnChange on every pick.
    void UserPick(int index);
    // opening the list; fires OnDropDown.
    void UserDropDown();

private:
    void SyncIndexToText();

    TStrings items_;
    TComboBoxStyle style_ = csDropDown;
    int maxLength_ = 0;
    int itemIndex_ = -1;
};

class TCheckBox : public TControl {
public:
    TCheckBox() { SetTabStop(true); }
    TControlKind Kind() const override { return TControlKind::CheckBox; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked) { Assign(checked_, checked, TChange::Selection); }
    // taLeftJustify puts the caption left of the box.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment) { alignment_ = alignment; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap) { wordWrap_ = wordWrap; }

    TNotifyEvent OnClick;

    // The user clicked the box: flips Checked and fires OnClick. Ignored when
    // disabled or hidden.
    void UserToggle();

private:
    bool checked_ = false;
    TAlignment alignment_ = taRightJustify;
    bool wordWrap_ = false;
};

// A captioned frame of radio buttons, one per item.
class TRadioGroup : public TControl {
public:
    TRadioGroup();
    TControlKind Kind() const override { return TControlKind::RadioGroup; }
    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }

    int ItemIndex() const { return itemIndex_; }
    // Clamped: below -1 gives -1 (none selected), Count or more gives the
    // last item (-1 when there are none).
    void SetItemIndex(int index);

    TNotifyEvent OnClick;  // the user changed the selection

    // The user clicked button `index`: when that changes the selection,
    // selects it and fires OnClick. Ignored when disabled or hidden.
    void UserSelect(int index);

private:
    TStrings items_;
    int itemIndex_ = -1;
};

// Multi-line text; each line of Lines is one hard line, wrapped to the
// width. The content is Lines; Text() is not used.
class TMemo : public TControl {
public:
    TMemo() : lines_([this] { Notify(TChange::Items); }) { SetTabStop(true); }
    TControlKind Kind() const override { return TControlKind::Memo; }
    TStrings& Lines() { return lines_; }
    const TStrings& Lines() const { return lines_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

private:
    TStrings lines_;
    bool readOnly_ = false;
};

class TButton : public TControl {
public:
    TButton() { SetTabStop(true); }
    TControlKind Kind() const override { return TControlKind::Button; }
    // A default button is pressed by Enter (the enabled one, on the Win32 side).
    bool Default() const { return default_; }
    void SetDefault(bool isDefault) { default_ = isDefault; }

    TNotifyEvent OnClick;

    // The user pressed the button: fires OnClick when it is enabled and
    // showing; otherwise nothing happens.
    void Click();

private:
    bool default_ = false;
};

class TGroupBox : public TWinControl {
public:
    TControlKind Kind() const override { return TControlKind::GroupBox; }
};
