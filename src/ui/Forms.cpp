#include "ui/Forms.h"

#include "ui/ComCtrls.h"

// ---- TScreen

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    if (view_) view_->CursorChanged(cursor_);
}

// ---- TApplication

std::string TApplication::ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void TApplication::HandleException(const std::exception& error) {
    if (messageBox_) messageBox_->ShowError(title_, ErrorBoxText(error.what()));
}

void TApplication::HandleException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        if (messageBox_) messageBox_->ShowError(title_, ErrorBoxText("Nieznany błąd"));
    }
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    if (OnTerminate) OnTerminate(*this);
}

// ---- TForm

TForm::TForm(TApplication& application) : application_(application) {
    StoreVisible(false);
    SetColor(clWindow);
}

void TForm::DoCreate() {
    try {
        if (OnCreate) OnCreate(*this);
    } catch (...) {
        application_.HandleException(std::current_exception());
    }
}

void TForm::Show() {
    if (Visible()) return;
    auto before = ShowingSheets(*this);
    StoreVisible(true);
    // The window appears once the handlers have set up what it shows.
    struct ShowWindowAtEnd {
        TForm& form;
        ~ShowWindowAtEnd() { form.Notify(TChange::Visible); }
    } showWindow{*this};
    ShowNewlyShowingSheets(*this, before);
    if (OnShow) OnShow(*this);
}

void TForm::Close() {
    if (OnClose) OnClose(*this);
    SetVisible(false);
    if (application_.MainForm() == this) application_.Terminate();
}
