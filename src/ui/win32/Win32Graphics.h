#pragma once
// Design pixels at 104 dpi to screen pixels, and the fonts and brushes the
// windows of one form share.
#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "platform/win32/UniqueHandle.h"
#include "ui/Controls.h"

constexpr int DesignDpi = 104;

// Scoped GDI state, each undone by its destructor, in the manner of WIL's
// wil::GetDC, wil::SelectObject and wil::BeginPaint.

// GetDC/ReleaseDC: a window's device context, or the screen's (null window).
class TWindowDC {
public:
    explicit TWindowDC(HWND hwnd = nullptr) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~TWindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// SelectObject for a scope: the object selected before comes back.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc ? SelectObject(dc, object) : nullptr) {}
    ~TSelectObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// BeginPaint/EndPaint: painting a window's invalid part in WM_PAINT.
class TPaintDC {
public:
    explicit TPaintDC(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    ~TPaintDC() { EndPaint(hwnd_, &paint_); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// The screen's vertical resolution (what the form scales to).
int ScreenDpi();

class TScaler {
public:
    explicit TScaler(int dpi) : dpi_(dpi) {}
    int operator()(int design) const { return MulDiv(design, dpi_, DesignDpi); }
    // Each edge scaled on its own, so that controls that touch in the design
    // still touch on screen.
    RECT Rect(int left, int top, int width, int height) const;

private:
    int dpi_;
};

// RGB of a design colour; clDefault gives `fallback`'s.
COLORREF ColorRef(TColor color, TColor fallback = clWindowText);

class TGdiCache {
public:
    explicit TGdiCache(const TScaler& scaler) : scaler_(scaler) {}

    // The font at the screen's dpi; Height is the character height.
    HFONT Font(const TFont& font);
    // Line height and average character width of a font, in screen pixels.
    TEXTMETRICW Metrics(const TFont& font);
    // The size of one line of text in a font, in screen pixels.
    SIZE TextExtent(const TFont& font, const std::wstring& text);
    // System colours come from the system; the others are made once.
    HBRUSH Brush(TColor color);

private:
    const TScaler& scaler_;
    std::map<std::tuple<std::string, int, bool>, UniqueHFont> fonts_;
    std::map<TColor, UniqueHBrush> brushes_;
};
