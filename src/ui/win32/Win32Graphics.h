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

// The screen's vertical resolution (what the form scales to).
int ScreenDpi();

class TScaler {
public:
    explicit TScaler(int dpi) : dpi_(dpi) {}
    int Dpi() const { return dpi_; }
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
    // System colours come from the system; the others are made once.
    HBRUSH Brush(TColor color);

private:
    const TScaler& scaler_;
    std::map<std::tuple<std::string, int, bool>, UniqueHFont> fonts_;
    std::map<TColor, UniqueHBrush> brushes_;
};
