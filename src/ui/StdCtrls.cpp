#include "ui/StdCtrls.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/Text.h"
#include "ui/Utf8.h"

// ---- TStrings

const TStrings::TItem& TStrings::Item(int index) const {
    if (index < 0 || index >= Count())
        throw Exception(Format("Indeks listy poza zakresem (%s)", {std::to_string(index)}));
    return items_[static_cast<std::size_t>(index)];
}

void TStrings::Changed() const {
    if (changed_) changed_();
}

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

void TStrings::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (sorted_) {
        SortItems(items_);
        Changed();
    }
}

// ---- TEdit

void TEdit::UserType(const std::string& text) {
    if (readOnly_ || !Reachable()) return;
    if (StoreText(LeftChars(text, maxLength_)) && OnChange) OnChange(*this);
}

// ---- TComboBox

TComboBox::TComboBox()
    : items_([this] {
          Notify(TChange::Items);
          SyncIndexToText();
      }) {
    SetTabStop(true);
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    if (style == style_) return;
    style_ = style;
    SyncIndexToText();
}

// The selection follows the text; a pick-only box cannot show text that is
// not in its list.
void TComboBox::SyncIndexToText() {
    int index = items_.IndexOf(Text());
    if (style_ == csDropDownList) StoreText(index < 0 ? std::string() : items_[index]);
    Assign(itemIndex_, index, TChange::Selection);
}

void TComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= items_.Count()) index = -1;
    StoreText(index < 0 ? std::string() : items_[index]);
    Assign(itemIndex_, index, TChange::Selection);
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
    Assign(itemIndex_, index, TChange::Selection);
    if (OnChange) OnChange(*this);
}

void TComboBox::UserDropDown() {
    if (Reachable() && OnDropDown) OnDropDown(*this);
}

// ---- TCheckBox

void TCheckBox::UserToggle() {
    if (!Reachable()) return;
    SetChecked(!checked_);
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
    Assign(itemIndex_, std::clamp(index, -1, items_.Count() - 1), TChange::Selection);
}

void TRadioGroup::UserSelect(int index) {
    if (!Reachable() || index < 0 || index >= items_.Count() || index == itemIndex_) return;
    SetItemIndex(index);
    if (OnClick) OnClick(*this);
}

// ---- TButton

void TButton::Click() {
    if (Reachable() && OnClick) OnClick(*this);
}
