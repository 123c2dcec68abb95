#pragma once
// Views that remember what the components told them, for the unit suites.
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ui/Controls.h"
#include "ui/Forms.h"

// One peer may watch several controls; it records who changed what.
class TRecordingPeer : public TControlPeer {
public:
    struct TEntry {
        TControl* Control;
        TChange Change;
        bool operator==(const TEntry&) const = default;
    };

    TRecordingPeer() = default;
    TRecordingPeer(const TRecordingPeer&) = delete;
    TRecordingPeer& operator=(const TRecordingPeer&) = delete;
    // Controls that outlive the peer must not call it afterwards.
    ~TRecordingPeer() override {
        for (TControl* control : watched_) control->SetPeer(nullptr);
    }

    void Changed(TControl& control, TChange change) override {
        Log.push_back({&control, change});
        if (change == TChange::Destroying) std::erase(watched_, &control);
    }

    // Installs this peer on each control.
    void Watch(std::initializer_list<TControl*> controls) {
        for (TControl* control : controls) {
            control->SetPeer(this);
            watched_.push_back(control);
        }
    }
    // The changes reported for one control, in order.
    std::vector<TChange> ChangesOf(const TControl& control) const {
        std::vector<TChange> result;
        for (const auto& entry : Log)
            if (entry.Control == &control) result.push_back(entry.Change);
        return result;
    }

    std::vector<TEntry> Log;

private:
    std::vector<TControl*> watched_;
};

class TRecordingMessageBox : public TMessageBoxView {
public:
    void ShowError(const std::string& caption, const std::string& text) override {
        Shown.emplace_back(caption, text);
        if (Fails) throw std::runtime_error("pole komunikatu");
    }
    std::vector<std::pair<std::string, std::string>> Shown;  // caption, text
    bool Fails = false;  // an error box that fails itself, once it has recorded
};

class TRecordingScreen : public TScreenView {
public:
    void CursorChanged(TCursor cursor) override { Cursors.push_back(cursor); }
    std::vector<TCursor> Cursors;
};
