#include "ui/common/splash_text.h"

#include "framework/text.h"
#include "res/resource.h"
#include "ui/common/drawing.h"

namespace ui {

namespace {

HFONT MakeFont(const wchar_t* face, bool underline, unsigned dpi) {
    LOGFONTW description = {};
    description.lfHeight = ScaleToDpi(12, dpi);
    description.lfWeight = FW_BOLD;
    description.lfUnderline = underline ? TRUE : FALSE;
    description.lfPitchAndFamily = FF_SWISS;
    if (face != nullptr) {
        wcsncpy(description.lfFaceName, face, LF_FACESIZE - 1);
    }
    return CreateFontIndirectW(&description);
}

// True when the font the system made has the face asked for (it substitutes silently).
bool HasFace(HFONT font, const wchar_t* face) {
    const HDC dc = GetDC(nullptr);
    if (dc == nullptr) {
        return false;
    }
    const HGDIOBJ previous = SelectObject(dc, font);
    wchar_t made[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, made);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return _wcsicmp(made, face) == 0;
}

void DrawLine(HDC dc, HFONT font, const std::string& text, int x, int y, COLORREF colour) {
    const std::wstring wide = fw::Wide(text);
    const HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    SelectObject(dc, previous);
}

int TextWidth(HDC dc, HFONT font, const std::string& text) {
    const std::wstring wide = fw::Wide(text);
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, previous);
    return size.cx;
}

}  // namespace

HFONT CreateSplashFont(bool underline, unsigned dpi) {
    for (const wchar_t* face : {L"Ms Sans Serif", L"Arial", L"System"}) {
        const HFONT font = MakeFont(face, underline, dpi);
        if (font == nullptr) {
            continue;
        }
        if (HasFace(font, face)) {
            return font;
        }
        DeleteObject(font);
    }
    return MakeFont(nullptr, underline, dpi);
}

SplashText::SplashText()
    : linkFont_(CreateSplashFont(true)),
      linkText_(fw::LoadText(IDS_WEB_SITE_TEXT)),
      target_(fw::LoadText(IDS_WEB_SITE_TARGET)),
      product_(fw::LoadText(IDS_TITLE)),
      notice_(fw::LoadText(IDS_MAKER_NOTICE)),
      loading_(fw::LoadText(IDS_LOADING_SETTINGS)) {}

void SplashText::SetDpi(unsigned dpi) {
    if (dpi == dpi_) {
        return;
    }
    dpi_ = dpi;
    linkFont_.Reset(CreateSplashFont(true, dpi));
}

RECT SplashText::LinkRect(HDC dc, int clientWidth) const {
    if (!linkFont_) {
        return {0, 0, 0, 0};
    }
    const std::wstring wide = fw::Wide(linkText_);
    const HGDIOBJ previous = SelectObject(dc, linkFont_.Get());
    SIZE size = {};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, previous);
    const int left = (clientWidth - size.cx) / 2;
    const int top = ScaleToDpi(kSplashLinkTop, dpi_);
    return {left, top, left + size.cx, top + size.cy};
}

void SplashText::Paint(HDC dc, int clientWidth, bool loadingMode, bool hovering,
                       bool hasOwner) const {
    // The text font is made for each paint, as the screen's fonts may change meanwhile.
    fw::Font textFont(CreateSplashFont(false, dpi_));
    if (!textFont || !linkFont_) {
        return;  // no texts, but the picture stays
    }
    if (!loadingMode) {
        const RECT link = LinkRect(dc, clientWidth);
        const COLORREF colour =
            hasOwner ? (hovering ? RGB(0, 0, 255) : RGB(255, 0, 0)) : RGB(0, 0, 0);
        DrawLine(dc, linkFont_.Get(), linkText_, link.left, link.top, colour);
        DrawLine(dc, textFont.Get(), product_,
                 (clientWidth - TextWidth(dc, textFont.Get(), product_)) / 2,
                 ScaleToDpi(kSplashProductTop, dpi_), RGB(0, 0, 0));
        DrawLine(dc, textFont.Get(), notice_,
                 (clientWidth - TextWidth(dc, textFont.Get(), notice_)) / 2,
                 ScaleToDpi(kSplashNoticeTop, dpi_), RGB(0, 0, 0));
    } else {
        DrawLine(dc, textFont.Get(), loading_, ScaleToDpi(kSplashLoadingLeft, dpi_),
                 ScaleToDpi(kSplashProductTop, dpi_), RGB(0, 0, 0));
    }
}

}  // namespace ui
