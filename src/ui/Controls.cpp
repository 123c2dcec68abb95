#include "ui/Controls.h"

#include <algorithm>

#include "ui/ComCtrls.h"

TControl::~TControl() {
    Notify(TChange::Destroying);
    SetParent(nullptr);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) {
        if (auto* pages = dynamic_cast<TPageControl*>(parent_);
            pages && static_cast<TControl*>(pages->active_) == this)
            pages->active_ = nullptr;
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent_ = parent;
    if (parent_) {
        parent_->children_.push_back(this);
        parent_->AlignControls();
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    ApplyBounds(left, top, width, height);
    if (parent_ && align_ != alNone) parent_->AlignControls();
}

void TControl::ApplyBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (auto* container = dynamic_cast<TWinControl*>(this)) container->AlignControls();
}

void TControl::SetAlign(TAlign align) {
    align_ = align;
    if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    auto before = ShowingSheets(*this);
    visible_ = visible;
    Notify(TChange::Visible);
    if (visible) ShowNewlyShowingSheets(*this, before);
}

bool TControl::Showing() const {
    return visible_ && (!parent_ || parent_->Showing());
}

bool TControl::Reachable() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return Showing();
}

TFont TControl::Font() const {
    if (parentFont_ && parent_) return parent_->Font();
    return font_;
}

void TControl::Notify(TChange change) {
    if (peer_) peer_->Changed(*this, change);
}

TWinControl::~TWinControl() {
    for (TControl* child : children_) child->parent_ = nullptr;
    children_.clear();
}

void TWinControl::AlignControls() {
    int top = 0;
    int bottom = ClientHeight();
    for (TControl* child : children_) {
        if (child->Align() != alTop) continue;
        child->ApplyBounds(0, top, ClientWidth(), child->Height());
        top += child->Height();
    }
    for (TControl* child : children_) {
        if (child->Align() != alClient) continue;
        child->ApplyBounds(0, top, ClientWidth(), std::max(0, bottom - top));
    }
}

std::vector<TTabSheet*> ShowingSheets(TControl& root) {
    std::vector<TTabSheet*> result;
    std::vector<TControl*> pending{&root};
    // Pre-order, children in creation order: outer pages come first.
    while (!pending.empty()) {
        TControl* control = pending.back();
        pending.pop_back();
        if (!control->Showing()) continue;
        if (auto* sheet = dynamic_cast<TTabSheet*>(control)) result.push_back(sheet);
        if (auto* container = dynamic_cast<TWinControl*>(control)) {
            const auto& children = container->Children();
            for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
        }
    }
    return result;
}

void ShowNewlyShowingSheets(TControl& root, const std::vector<TTabSheet*>& before) {
    for (TTabSheet* sheet : ShowingSheets(root)) {
        if (std::find(before.begin(), before.end(), sheet) != before.end()) continue;
        // A handler that ran before may have switched this sheet away again.
        if (!sheet->Showing()) continue;
        if (sheet->OnShow) sheet->OnShow(*sheet);
    }
}
