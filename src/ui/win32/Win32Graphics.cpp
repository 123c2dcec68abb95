#include "ui/win32/Win32Graphics.h"

#include <algorithm>

#include "platform/win32/WideText.h"

int ScreenDpi() {
    const TWindowDC screen;
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

RECT TScaler::Rect(int left, int top, int width, int height) const {
    const TScaler& s = *this;
    return RECT{s(left), s(top), s(left + width), s(top + height)};
}

namespace {
// The system colour index of a design colour, or -1 for a fixed one.
int SystemColorIndex(TColor color) {
    switch (color) {
        case clWindow: return COLOR_WINDOW;
        case clBtnFace: return COLOR_BTNFACE;
        case clWindowText: return COLOR_WINDOWTEXT;
        default: return -1;
    }
}
}  // namespace

COLORREF ColorRef(TColor color, TColor fallback) {
    if (color == clDefault) color = fallback == clDefault ? clWindowText : fallback;
    if (int index = SystemColorIndex(color); index >= 0) return GetSysColor(index);
    switch (color) {
        case clMaroon: return RGB(128, 0, 0);
        case clOlive: return RGB(128, 128, 0);
        case clWhite: return RGB(255, 255, 255);
        default: return RGB(0, 0, 0);
    }
}

HFONT TGdiCache::Font(const TFont& font) {
    auto key = std::make_tuple(font.Name, font.Height, font.Bold);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second.get();

    LOGFONTW lf{};
    // Negative: the character height, without the internal leading.
    lf.lfHeight = -scaler_(font.Height);
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    std::wstring face = Utf8ToWide(font.Name);
    face.resize(std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    face.copy(lf.lfFaceName, face.size());
    UniqueHFont created(CreateFontIndirectW(&lf));
    HFONT result = created.get();
    if (result) fonts_.emplace(key, std::move(created));
    return result ? result : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

TEXTMETRICW TGdiCache::Metrics(const TFont& font) {
    TEXTMETRICW metrics{};
    const TWindowDC screen;
    const TSelectObject selected(screen.get(), Font(font));
    if (screen.get()) GetTextMetricsW(screen.get(), &metrics);
    return metrics;
}

SIZE TGdiCache::TextExtent(const TFont& font, const std::wstring& text) {
    RECT extent{0, 0, 0, 0};
    const TWindowDC screen;
    const TSelectObject selected(screen.get(), Font(font));
    DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &extent,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return SIZE{extent.right - extent.left, extent.bottom - extent.top};
}

HBRUSH TGdiCache::Brush(TColor color) {
    if (color == clDefault) color = clBtnFace;
    if (int index = SystemColorIndex(color); index >= 0) return GetSysColorBrush(index);
    auto found = brushes_.find(color);
    if (found != brushes_.end()) return found->second.get();
    UniqueHBrush brush(CreateSolidBrush(ColorRef(color)));
    HBRUSH result = brush.get();
    brushes_.emplace(color, std::move(brush));
    return result;
}
