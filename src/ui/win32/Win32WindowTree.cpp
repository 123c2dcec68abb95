#include "ui/win32/Win32WindowTree.h"

#include <algorithm>
#include <climits>

#include "ui/ComCtrls.h"

namespace {
// Tab-ordered controls first (by TabOrder), then the others in creation order.
std::vector<TControl*> TabOrdered(const std::vector<TControl*>& children) {
    std::vector<TControl*> result = children;
    std::stable_sort(result.begin(), result.end(), [](const TControl* a, const TControl* b) {
        auto key = [](const TControl* c) { return c->TabOrder() < 0 ? INT_MAX : c->TabOrder(); };
        return key(a) < key(b);
    });
    return result;
}
}  // namespace

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

TPeer* TWindowTree::PeerOf(HWND hwnd) const {
    auto found = handles_.find(hwnd);
    return found == handles_.end() ? nullptr : found->second;
}

TPeer* TWindowTree::PeerOf(const TControl* control) const {
    if (!control) return nullptr;
    auto* peer = dynamic_cast<TPeer*>(control->Peer());
    return peer && &peer->tree_ == this ? peer : nullptr;
}

TPeer* TWindowTree::Build(TControl& control, HWND parent) {
    std::unique_ptr<TPeer> made = MakePeer(*this, control);
    TPeer* peer = made.get();
    peers_.push_back(std::move(made));
    control.SetPeer(peer);
    peer->Create(parent);
    if (dynamic_cast<TWinControl*>(&control)) {
        const auto* sheet = dynamic_cast<const TTabSheet*>(&control);
        if (sheet && sheet->PageControl() && sheet->PageControl()->ActivePage() != sheet)
            unbuilt_.insert(peer);
        else
            BuildChildren(*peer);
    }
    peer->ChildrenCreated();
    return peer;
}

void TWindowTree::BuildChildren(TPeer& peer) {
    for (TControl* child : TabOrdered(static_cast<TWinControl*>(peer.Control())->Children()))
        Build(*child, peer.Handle());
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
        BuildChildren(*peer);
        for (std::size_t i = first; i < peers_.size(); ++i) peers_[i]->TreeBuilt();
    }
}

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
