#pragma once
// Page control and its tab sheets.
//
// When a sheet's OnShow fires: whenever the sheet goes from not showing to
// showing, whatever the cause (code or the user switching pages, or an
// enclosing control becoming visible). A sheet shows when it is the active
// page of its page control and that page control shows (see
// TControl::Showing), so a sheet inside a page of another page control shows
// only while every enclosing page is active too.
//
// One switch can make several sheets visible: the newly active sheet and the
// active sheets of page controls inside it. Their OnShow handlers run outer
// first. Re-selecting the current page, or switching pages of a page control
// that does not show, fires nothing. So with PageControl1 inside TabSheet4 of
// PageControl2: "PageControl1 to page 0, then PageControl2 to TabSheet4"
// runs page 0's OnShow exactly once, at the first step if TabSheet4 was
// already current and at the second step otherwise.
//
// The new page is current (and the peers told) before any OnShow runs. An
// exception from an OnShow handler propagates to the caller of the switch;
// the sheets after it in that switch do not get their OnShow. Handlers that
// must not stop the switch catch their own errors (the form wraps them).
#include "ui/Controls.h"

class TPageControl;

class TTabSheet : public TWinControl {
public:
    ~TTabSheet() override;
    TControlKind Kind() const override { return TControlKind::TabSheet; }

    // The page control that holds this sheet (its parent), or null.
    TPageControl* PageControl() const;
    void SetPageControl(TPageControl* pageControl);
    // Position among the sheets of its page control, or -1.
    int PageIndex() const;

    bool Showing() const override;

    TNotifyEvent OnShow;
};

class TPageControl : public TWinControl {
public:
    TPageControl() { SetTabStop(true); }
    TControlKind Kind() const override { return TControlKind::PageControl; }

    int PageCount() const;
    TTabSheet& Pages(int index) const;

    // -1 / null when no page is current (the initial state).
    int ActivePageIndex() const;
    TTabSheet* ActivePage() const { return active_; }
    // Switches pages (see the rule above); an index outside the pages, or a
    // sheet of another control, selects no page.
    void SetActivePageIndex(int index);
    void SetActivePage(TTabSheet* page);

    // Every sheet gets the bounds (Border, Border, Width - 2*Border,
    // Height - 2*Border), kept up to date when the page control is resized.
    // Tab headers take no room (the wizard hides them).
    static constexpr int Border = 4;
    void AlignControls() override;

private:
    friend class TTabSheet;
    friend class TControl;  // a sheet leaving its page control stops being active
    TTabSheet* active_ = nullptr;
};
