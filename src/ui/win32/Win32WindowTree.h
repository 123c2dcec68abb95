#pragma once
// Every window of one form and what they share: the peers of its controls,
// which window belongs to which, the scaling and the GDI objects, the focus
// moves and the error boundary of the window procedures.
#include <windows.h>

#include <exception>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ui/Forms.h"
#include "ui/win32/Win32Graphics.h"
#include "ui/win32/Win32Peer.h"

class TWindowTree {
public:
    explicit TWindowTree(TForm& form);
    ~TWindowTree();
    TWindowTree(const TWindowTree&) = delete;
    TWindowTree& operator=(const TWindowTree&) = delete;

    TForm& Form() const { return form_; }
    TApplication& Application() const { return form_.Application(); }
    const TScaler& Scaler() const { return scaler_; }
    TGdiCache& Gdi() { return gdi_; }
    HWND Root() const { return root_ ? root_->Handle() : nullptr; }
    // Creation order: parents first.
    const std::vector<std::unique_ptr<TPeer>>& Peers() const { return peers_; }

    int NextId() { return nextId_++; }
    void Bind(HWND hwnd, TPeer* peer) { handles_[hwnd] = peer; }
    void Unbind(HWND hwnd) { handles_.erase(hwnd); }
    TPeer* PeerOf(HWND hwnd) const;
    TPeer* PeerOf(const TControl* control) const;

    // Creates the peer and window(s) of `control`, then of its children in
    // Tab order (the order of the windows is the Tab order). A page that is
    // not showing gets its children when it first shows, or when one of them
    // is asked for (Realize): creating windows is most of what starting the
    // program costs, and most pages are never seen in a run.
    TPeer* Build(TControl& control, HWND parent);
    // Creates the windows still missing on the way to `control`.
    void Realize(const TControl& control);

    // Before `hwnd` is hidden or disabled: a focus inside it moves to the next
    // control in Tab order (or to the form).
    void MoveFocusOffOf(HWND hwnd);
    // The first control a Tab would reach inside `container`, or null.
    static HWND FirstTabStop(HWND container);

    // Runs `action`; whatever it throws goes to the application's error box.
    template <class Action>
    bool Guard(Action&& action) noexcept {
        try {
            action();
            return true;
        } catch (...) {
            HandleError(std::current_exception());
            return false;
        }
    }

private:
    void HandleError(std::exception_ptr error) noexcept;
    void BuildChildren(TPeer& peer);

    TForm& form_;
    TScaler scaler_;
    TGdiCache gdi_;
    std::map<HWND, TPeer*> handles_;
    std::set<TPeer*> unbuilt_;  // pages whose children wait for their first showing
    TPeer* root_ = nullptr;
    int nextId_ = 1000;  // above IDOK, IDCANCEL and the other dialog ids
    // Last: peers may still unbind their windows while they go.
    std::vector<std::unique_ptr<TPeer>> peers_;
};

// The peer of a control's kind (Win32Peers.cpp, one section per kind).
std::unique_ptr<TPeer> MakePeer(TWindowTree& tree, TControl& control);
