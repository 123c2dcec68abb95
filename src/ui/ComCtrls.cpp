#include "ui/ComCtrls.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/Text.h"

// ---- TTabSheet

TTabSheet::~TTabSheet() {
    if (TPageControl* pages = PageControl(); pages && pages->active_ == this) pages->active_ = nullptr;
}

TPageControl* TTabSheet::PageControl() const { return dynamic_cast<TPageControl*>(Parent()); }

void TTabSheet::SetPageControl(TPageControl* pageControl) { SetParent(pageControl); }

int TTabSheet::PageIndex() const {
    TPageControl* pages = PageControl();
    if (!pages) return -1;
    for (int i = 0; i < pages->PageCount(); ++i)
        if (&pages->Pages(i) == this) return i;
    return -1;
}

bool TTabSheet::Showing() const {
    TPageControl* pages = PageControl();
    if (!pages) return TWinControl::Showing();
    return pages->ActivePage() == this && pages->Showing();
}

// ---- TPageControl

int TPageControl::PageCount() const {
    int count = 0;
    for (TControl* child : Children())
        if (dynamic_cast<TTabSheet*>(child)) ++count;
    return count;
}

TTabSheet& TPageControl::Pages(int index) const {
    int seen = 0;
    for (TControl* child : Children())
        if (auto* sheet = dynamic_cast<TTabSheet*>(child); sheet && seen++ == index) return *sheet;
    throw Exception(Format("Indeks listy poza zakresem (%s)", {std::to_string(index)}));
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? &Pages(index) : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->PageControl() != this) page = nullptr;
    if (page == active_) return;
    auto before = ShowingSheets(*this);
    active_ = page;
    Notify(TChange::Selection);
    ShowNewlyShowingSheets(*this, before);
}

void TPageControl::AlignControls() {
    for (TControl* child : Children())
        if (dynamic_cast<TTabSheet*>(child))
            child->ApplyBounds(Border, Border, std::max(0, Width() - 2 * Border), std::max(0, Height() - 2 * Border));
    TWinControl::AlignControls();
}
