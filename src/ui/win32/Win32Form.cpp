#include "ui/win32/Win32Form.h"

#include "ui/win32/Win32WindowTree.h"

TWin32Form::TWin32Form(TForm& form) : form_(form), tree_(std::make_unique<TWindowTree>(form)) {}

TWin32Form::~TWin32Form() = default;

HWND TWin32Form::Handle() const { return tree_->Root(); }

HWND TWin32Form::HandleOf(const TControl& control) const {
    tree_->Realize(control);
    TPeer* peer = tree_->PeerOf(&control);
    return peer ? peer->Handle() : nullptr;
}

void TWin32Form::Dispatch(MSG& message) {
    HWND root = Handle();
    if (root && IsDialogMessageW(root, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool TWin32Form::ProcessMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        Dispatch(message);
    }
    return true;
}

int TWin32Form::Run() {
    TApplication& application = form_.Application();
    if (application.Terminated()) return 0;
    // Terminate() (the main form closed) ends the loop.
    TNotifyEvent previous = application.OnTerminate;
    application.OnTerminate = [previous](TObject& sender) {
        if (previous) previous(sender);
        PostQuitMessage(0);
    };
    MSG message;
    int code = 0;
    for (;;) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) {
            code = 1;
            break;
        }
        Dispatch(message);
    }
    application.OnTerminate = previous;
    return code;
}
