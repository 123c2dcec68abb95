#include "ui/StdCtrls.h"

#include <algorithm>

#include "platform/Exception.h"
#include "platform/Text.h"
#include "ui/Utf8.h"

namespace {
[[noreturn]] void ListIndexError(int index) {
    throw Exception(Format("Indeks listy poza zakresem (%s)", {std::to_string(index)}));
}
}  // namespace

// ---- TStrings

const TStrings::TItem& TStrings::Item(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return items_[static_cast<std::size_t>(index)];
}

void TStrings::Changed() const {
    if (changed_) changed_();
}

int TStrings::Add(std::string text) { return AddObject(std::move(text), nullptr); }

int TStrings::AddObject(std::string text, std::unique_ptr<TObject> object) {
    auto at = items_.end();
    if (sorted_)
        at = std::upper_bound(items_.begin(), items_.end(), text, [](const std::string& t, const TItem& item) {
            return CompareText(t, item.Text) < 0;
        });
    at = items_.insert(at, TItem{std::move(text), std::move(object)});
    Changed();
    return static_cast<int>(at - items_.begin());
}

void TStrings::Insert(int index, std::string text) {
    if (sorted_) throw Exception("Operacja niedozwolona na posortowanej liście");
    if (index < 0 || index > Count()) ListIndexError(index);
    items_.insert(items_.begin() + index, TItem{std::move(text), nullptr});
    Changed();
}

void TStrings::Delete(int index) {
    Item(index);
    items_.erase(items_.begin() + index);
    Changed();
}

void TStrings::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

int TStrings::IndexOf(std::string_view text) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (SameText(items_[i].Text, text)) return static_cast<int>(i);
    return -1;
}

namespace {
template <typename Items>
void SortItems(Items& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return CompareText(a.Text, b.Text) < 0; });
}
}  // namespace

void TStrings::Assign(const std::vector<std::string>& lines) {
    items_.clear();
    for (const auto& line : lines) items_.push_back(TItem{line, nullptr});
    if (sorted_) SortItems(items_);
    Changed();
}

std::vector<std::string> TStrings::ToVector() const {
    std::vector<std::string> result;
    for (const auto& item : items_) result.push_back(item.Text);
    return result;
}

TStringList TStrings::ToStringList() const {
    TStringList result;
    for (const auto& item : items_) result.Add(item.Text);
    return result;
}

std::string TStrings::Text() const {
    std::string result;
    for (const auto& item : items_) result += item.Text + "\r\n";
    return result;
}

void TStrings::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (sorted_) {
        SortItems(items_);
        Changed();
    }
}

// ---- TLabel

TLabel::TLabel() = default;

void TLabel::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Notify(TChange::Alignment);
}

void TLabel::SetWordWrap(bool wordWrap) {
    if (wordWrap == wordWrap_) return;
    wordWrap_ = wordWrap;
    Notify(TChange::Alignment);
}

void TLabel::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    Notify(TChange::Color);
}

// ---- TEdit

TEdit::TEdit() { SetTabStop(true); }

void TEdit::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    Notify(TChange::ReadOnly);
}

void TEdit::SetMaxLength(int maxLength) {
    if (maxLength == maxLength_) return;
    maxLength_ = maxLength;
    Notify(TChange::MaxLength);
}

void TEdit::UserType(const std::string& text) {
    if (readOnly_ || !Reachable()) return;
    if (StoreText(LeftChars(text, maxLength_)) && OnChange) OnChange(*this);
}

// ---- TComboBox

TComboBox::TComboBox() : items_([this] { ItemsChanged(); }) { SetTabStop(true); }

void TComboBox::SetStyle(TComboBoxStyle style) {
    if (style == style_) return;
    style_ = style;
    Notify(TChange::Style);
    SyncIndexToText();
}

void TComboBox::SetSorted(bool sorted) {
    if (sorted == items_.Sorted()) return;
    items_.SetSorted(sorted);
    Notify(TChange::Style);
}

void TComboBox::SetMaxLength(int maxLength) {
    if (maxLength == maxLength_) return;
    maxLength_ = maxLength;
    Notify(TChange::MaxLength);
}

void TComboBox::ItemsChanged() {
    Notify(TChange::Items);
    SyncIndexToText();
}

// The selection follows the text; a pick-only box cannot show text that is
// not in its list.
void TComboBox::SyncIndexToText() {
    int index = items_.IndexOf(Text());
    if (style_ == csDropDownList) StoreText(index < 0 ? std::string() : items_[index]);
    if (index != itemIndex_) {
        itemIndex_ = index;
        Notify(TChange::ItemIndex);
    }
}

void TComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= items_.Count()) index = -1;
    StoreText(index < 0 ? std::string() : items_[index]);
    if (index != itemIndex_) {
        itemIndex_ = index;
        Notify(TChange::ItemIndex);
    }
}

void TComboBox::SetText(const std::string& text) {
    StoreText(text);
    SyncIndexToText();
}

void TComboBox::Clear() {
    StoreText("");
    items_.Clear();
    SyncIndexToText();
}

void TComboBox::UserType(const std::string& text) {
    if (style_ == csDropDownList || !Reachable()) return;
    if (!StoreText(LeftChars(text, maxLength_))) return;
    SyncIndexToText();
    if (OnChange) OnChange(*this);
}

void TComboBox::UserPick(int index) {
    if (!Reachable() || index < 0 || index >= items_.Count()) return;
    // Whatever item the text matched, the picked one is selected.
    StoreText(items_[index]);
    if (index != itemIndex_) {
        itemIndex_ = index;
        Notify(TChange::ItemIndex);
    }
    if (OnChange) OnChange(*this);
}

void TComboBox::UserDropDown() {
    if (Reachable() && OnDropDown) OnDropDown(*this);
}

// ---- TCheckBox

TCheckBox::TCheckBox() { SetTabStop(true); }

void TCheckBox::SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Notify(TChange::Checked);
}

void TCheckBox::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Notify(TChange::Alignment);
}

void TCheckBox::SetWordWrap(bool wordWrap) {
    if (wordWrap == wordWrap_) return;
    wordWrap_ = wordWrap;
    Notify(TChange::Alignment);
}

void TCheckBox::UserToggle() {
    if (!Reachable()) return;
    checked_ = !checked_;
    Notify(TChange::Checked);
    if (OnClick) OnClick(*this);
}

// ---- TRadioGroup

TRadioGroup::TRadioGroup()
    : items_([this] {
          Notify(TChange::Items);
          SetItemIndex(itemIndex_);
      }) {
    SetTabStop(true);
}

void TRadioGroup::SetItemIndex(int index) {
    index = std::clamp(index, -1, items_.Count() - 1);
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Notify(TChange::ItemIndex);
}

void TRadioGroup::UserSelect(int index) {
    if (!Reachable() || index < 0 || index >= items_.Count() || index == itemIndex_) return;
    itemIndex_ = index;
    Notify(TChange::ItemIndex);
    if (OnClick) OnClick(*this);
}

// ---- TMemo

TMemo::TMemo() : lines_([this] { Notify(TChange::Lines); }) { SetTabStop(true); }

void TMemo::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    Notify(TChange::ReadOnly);
}

void TMemo::SetScrollBars(TScrollStyle scrollBars) {
    if (scrollBars == scrollBars_) return;
    scrollBars_ = scrollBars;
    Notify(TChange::ScrollBars);
}

void TMemo::SetWordWrap(bool wordWrap) {
    if (wordWrap == wordWrap_) return;
    wordWrap_ = wordWrap;
    Notify(TChange::Alignment);
}

void TMemo::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Notify(TChange::Alignment);
}

// ---- TButton

TButton::TButton() { SetTabStop(true); }

void TButton::SetDefault(bool isDefault) {
    if (isDefault == default_) return;
    default_ = isDefault;
    Notify(TChange::Default);
}

void TButton::Click() {
    if (Reachable() && OnClick) OnClick(*this);
}

// ---- TGroupBox

TGroupBox::TGroupBox() = default;
