// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Fonts, brushes, pens, 24-bit bitmaps and the canvas that draws on them, with the device
// calls of the Windows drawing model (DrawTextEx, GetTextExtentPoint, extra character spacing,
// clip regions, paths, DrawEdge, pattern brushes) built on QPainter.
//
// Pixel rules are Windows', not Qt's: FillRect, FrameRect and Rectangle stay inside
// [Left, Right) x [Top, Bottom); Polyline leaves out its last point; corners given in either
// order are normalised first. Shapes are drawn without antialiasing; text is measured and drawn
// with kerning off and whole-pixel advances, so a drawn text is as wide as it measures.
#pragma once

#include "platform/classes.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <memory>
#include <tuple>

class QPainter;
class QIcon;
class QPixmap;
class TCanvas;
class TBitmap;
class TTextCache;
struct TTextLine;

// A colour as Qt draws it: system colours resolved from the application palette.
QColor ToQColor(TColor c);
// A PNG picture (a file, or a resource such as ":/icon.png") read as PNG without guessing: left
// to guess, Qt loads every image-format plugin and the libraries under them, a megabyte and
// more kept for the life of the program. Null when it cannot be read.
QPixmap ReadPng(const QString& path);
// The PNG at path as an icon, with "<name>@2x.png" beside it where the resources hold one: a
// picture drawn twice as fine, which a scaled screen (1.25, 1.5, 2) shows instead of an
// enlarged copy. A disabledPath adds the icon's disabled picture the same way.
QIcon ReadPngIcon(const QString& path, const QString& disabledPath = QString());
// The "@2x" name of a picture: ":/a/b.png" gives ":/a/b@2x.png".
QString FinePictureName(const QString& path);

// ---------------------------------------------------------------------------------------------
// Graphics objects with an on-change event
// ---------------------------------------------------------------------------------------------
class TGraphicsObject : public TPersistent {
public:
    QString ClassName() const override { return QStringLiteral("TGraphicsObject"); }
    // Fired after every change of a property to a different value; Sender = the object.
    TNotifyEvent OnChange;

protected:
    void Changed();
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t RUSSIAN_CHARSET = 204;

// A font description. Height is the framework's signed pixel height: negative for a
// character height (Qt's pixel size), positive for a cell height (the pixel size whose
// ascent + descent equals it), 0 for the platform's default height (13 pixels, the size of
// 10-point dialog text at 96 pixels per inch). Size is in points at
// 96 pixels per inch: Size = -MulDiv(Height, 72, 96). The name holds at most 31 characters
// (longer names are cut when assigned). The character set is kept for the settings file.
// What a font is, as Assign copies and compares it: one struct that the font derives from, so
// that a copy cannot leave a field out. operator== names every field through a structured
// binding, which no longer compiles once a field is added and not named there.
struct TFontValues {
    QString m_name = QStringLiteral("MS Sans Serif");
    int32_t m_height = -11;
    TFontStyles m_style = 0;
    TColor m_color = clWindowText;
    uint8_t m_charset = DEFAULT_CHARSET;
    TFontPitch m_pitch = TFontPitch::fpDefault;

    bool operator==(const TFontValues& o) const
    {
        const auto& [a1, a2, a3, a4, a5, a6] = *this;
        const auto& [b1, b2, b3, b4, b5, b6] = o;
        return std::tie(a1, a2, a3, a4, a5, a6) == std::tie(b1, b2, b3, b4, b5, b6);
    }
};

class TFont : public TGraphicsObject, private TFontValues {
public:
    TFont();
    QString ClassName() const override { return QStringLiteral("TFont"); }
    void Assign(const TPersistent* Source) override;

    const QString& Name() const { return m_name; }
    void SetName(const QString& v);
    int32_t Height() const { return m_height; }
    void SetHeight(int32_t v);
    int32_t Size() const;
    void SetSize(int32_t points);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles v);
    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    uint8_t Charset() const { return m_charset; }
    void SetCharset(uint8_t v);
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch v);

    // The Qt font this description stands for (kerning off, full hinting), cached.
    const QFont& ToQFont() const;
    // Takes face, pixel size (as a character height), bold, italic, underline and strike-out
    // from a Qt font, e.g. the result of a font dialog.
    void AssignQFont(const QFont& f);

    static constexpr int PixelsPerInch = 96;
    // A number that changes whenever the description changes (unique across all fonts), so
    // that measuring caches can tell a changed font from the one they were built for.
    uint64_t Revision() const { return m_revision; }

private:
    void FontChanged();
    mutable std::unique_ptr<QFont> m_qfont;
    uint64_t m_revision;
};

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
    TBrush();
    ~TBrush() override;
    QString ClassName() const override { return QStringLiteral("TBrush"); }
    void Assign(const TPersistent* Source) override;
    TColor Color() const { return m_color; }
    void SetColor(TColor v);   // also makes a clear brush solid, as the framework does
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle v);
    // A pattern brush: the whole bitmap is the pattern, tiled from the origin of the target.
    // The brush keeps a copy; nullptr removes the pattern.
    TBitmap* Bitmap() const { return m_bitmap.get(); }
    void SetBitmap(const TBitmap* v);

private:
    TColor m_color = clWhite;
    TBrushStyle m_style = TBrushStyle::bsSolid;
    std::unique_ptr<TBitmap> m_bitmap;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode { pmCopy, pmNot, pmXor, pmMask, pmMerge };

// What a pen is, as Assign copies and compares it (see TFontValues).
struct TPenValues {
    TColor m_color = clBlack;
    int m_width = 1;
    TPenStyle m_style = TPenStyle::psSolid;
    TPenMode m_mode = TPenMode::pmCopy;

    bool operator==(const TPenValues& o) const
    {
        const auto& [a1, a2, a3, a4] = *this;
        const auto& [b1, b2, b3, b4] = o;
        return std::tie(a1, a2, a3, a4) == std::tie(b1, b2, b3, b4);
    }
};

class TPen : public TGraphicsObject, private TPenValues {
public:
    QString ClassName() const override { return QStringLiteral("TPen"); }
    void Assign(const TPersistent* Source) override;
    TColor Color() const { return m_color; }
    void SetColor(TColor v);
    int Width() const { return m_width; }
    void SetWidth(int v);   // values below 1 count as 1
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle v);
    TPenMode Mode() const { return m_mode; }
    void SetMode(TPenMode v);
};

// ---------------------------------------------------------------------------------------------
// DrawTextEx and DrawEdge flags (the Windows values)
// ---------------------------------------------------------------------------------------------
constexpr uint32_t DT_TOP = 0x0000, DT_LEFT = 0x0000, DT_CENTER = 0x0001, DT_RIGHT = 0x0002,
                   DT_VCENTER = 0x0004, DT_BOTTOM = 0x0008, DT_WORDBREAK = 0x0010, DT_SINGLELINE = 0x0020,
                   DT_EXPANDTABS = 0x0040, DT_TABSTOP = 0x0080, DT_NOCLIP = 0x0100, DT_EXTERNALLEADING = 0x0200,
                   DT_CALCRECT = 0x0400, DT_NOPREFIX = 0x0800, DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000,
                   DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000, DT_WORD_ELLIPSIS = 0x40000,
                   DT_HIDEPREFIX = 0x100000;

constexpr uint32_t BDR_RAISEDOUTER = 0x0001, BDR_SUNKENOUTER = 0x0002, BDR_RAISEDINNER = 0x0004,
                   BDR_SUNKENINNER = 0x0008, BDR_OUTER = 0x0003, BDR_INNER = 0x000C,
                   EDGE_RAISED = 0x0005, EDGE_SUNKEN = 0x000A, EDGE_ETCHED = 0x0006, EDGE_BUMP = 0x0009;
constexpr uint32_t BF_LEFT = 0x0001, BF_TOP = 0x0002, BF_RIGHT = 0x0004, BF_BOTTOM = 0x0008,
                   BF_TOPLEFT = 0x0003, BF_BOTTOMRIGHT = 0x000C, BF_RECT = 0x000F, BF_DIAGONAL = 0x0010,
                   BF_MIDDLE = 0x0800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;

// ---------------------------------------------------------------------------------------------
// TCanvas
// ---------------------------------------------------------------------------------------------
enum class TCopyMode { cmSrcCopy, cmSrcAnd, cmSrcPaint, cmSrcInvert, cmNotSrcCopy, cmBlackness, cmWhiteness };

// A canvas draws on a target image (a bitmap's, or a control's retained surface) or, without
// one, only measures text as the screen's device context does. The QPainter on the target is
// opened lazily and closed whenever the image is touched directly (ReleaseHandle).
//
// OnChange fires after every drawing call with the rectangle that call touched (clipped to
// the target), so a control can put exactly that part of its surface on screen.
class TCanvas : public TPersistent {
public:
    // A measuring canvas: text calls measure; drawing calls do nothing.
    TCanvas();
    ~TCanvas() override;
    QString ClassName() const override { return QStringLiteral("TCanvas"); }

    // Points the canvas at an image (nullptr: measuring only). The canvas does not own it.
    void SetTarget(QImage* image);
    QImage* Target() const { return m_target; }
    // Ends the painter on the target, so the image may be read, written or resized directly.
    void ReleaseHandle();

    TFont* Font() const { return m_font.get(); }
    void SetFont(const TFont* f) { m_font->Assign(f); }
    TBrush* Brush() const { return m_brush.get(); }
    TPen* Pen() const { return m_pen.get(); }
    TCopyMode CopyMode() const { return m_copyMode; }
    void SetCopyMode(TCopyMode m) { m_copyMode = m; }

    // Shapes (Windows pixel rules).
    void FillRect(const TRect& r);
    // Fills with the brush's colour every device pixel that r touches, also one that a logical
    // edge cuts on a screen of a fractional scale, where FillRect leaves that pixel to the
    // painter's rounding. Solid fills of a 24-bit image only (anything else is FillRect); a clip
    // is applied the same way, rounded outwards. The same pixels whether a painter was open or not.
    void FillCovering(const TRect& r);
    void FrameRect(const TRect& r);
    // The keyboard focus mark: every other pixel of r's edge inverted, so that it shows on any
    // background and a second call takes it away.
    void DrawFocusRect(const TRect& r);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);   // leaves out the end point
    TPoint PenPos() const { return m_penPos; }
    void Polyline(const std::vector<TPoint>& pts);  // leaves out the last point
    void Polygon(const std::vector<TPoint>& pts);   // filled with the brush, outlined with the pen
    TColor Pixel(int x, int y) const;               // -1 outside the target
    void SetPixel(int x, int y, TColor c);

    // Copies. The source rectangle is stretched onto the destination when the sizes differ.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& src);
    // Copies source's device pixels under src one for one to src's place moved by the logical
    // offset, cut to the logical rectangle clip: where the offset falls inside a device pixel
    // the moved rectangle may round to another device size, and CopyRect would stretch it.
    // Images of the same pixel ratio only; otherwise, or with a copy mode or clip of its own set,
    // this is CopyRect.
    void CopyPixelsMoved(const TPoint& offset, TCanvas* source, const TRect& src, const TRect& clip);
    void Draw(int x, int y, const TBitmap* bmp);
    void StretchDraw(const TRect& dest, const TBitmap* bmp);

    // Text. TextOut draws at (x, y) with the brush as background unless the brush is clear.
    void TextOut(int x, int y, const QString& text);
    TPoint TextExtent(const QString& text) const { TPoint p; GetTextExtentPoint(text, p); return p; }
    int TextWidth(const QString& text) const { return TextExtent(text).X; }
    int TextHeight(const QString& text) const { return TextExtent(text).Y; }

    // The device calls of the Windows drawing model.
    // Draws or, with DT_CALCRECT, measures: the rectangle keeps its left and top and gets the
    // text's extent as its right and bottom. Returns the text height (0 on failure).
    int DrawTextEx(const QString& text, TRect& r, uint32_t flags);
    // Width (advance, including extra character spacing) and line height; false on failure.
    bool GetTextExtentPoint(const QString& text, TPoint& size) const;
    // Extra pixels after every character; returns the previous value.
    int SetTextCharacterExtra(int extra);
    int TextCharacterExtra() const { return m_charExtra; }
    // Background mode of text: transparent (true) or opaque with the brush colour.
    void SetBkModeTransparent(bool transparent) { m_bkTransparent = transparent; }
    // Text drawn from now on is placed as if the logical point Origin stood on the device pixel
    // nearest to it: all of it (glyphs, lines, its background, its rectangle's clip) moves by
    // the same part of a device pixel. A block of text drawn this way at two places is then the
    // same pixels moved by whole device pixels, at fractional scales too; at whole-number scales
    // nothing moves. A clip set with SetClipRect stays where it is. Until ClearTextGrid.
    void SetTextGrid(TPoint Origin);
    void ClearTextGrid() { m_textShift = QPointF(); m_textGrid = false; }

    // Clipping: a rectangle region intersected into drawing; ClearClip removes it.
    void SetClipRect(const TRect& r);
    void ClearClip();
    bool HasClip() const { return m_hasClip; }
    const TRect& ClipRect() const { return m_clip; }   // meaningful while HasClip

    // Paths: text drawn between BeginPath and EndPath is collected instead of drawn;
    // StrokePath outlines it with the pen and discards it.
    void BeginPath();
    void EndPath();
    void StrokePath();

    // The framework's lock (a no-op bracket here: canvases are used on one thread).
    void Lock() { ++m_lockCount; }
    void Unlock() { if (m_lockCount > 0) --m_lockCount; }

    // Fired after each drawing call with the touched rectangle.
    std::function<void(const TRect&)> OnChange;

    // The painter on the target, opened on first use (nullptr without a target).
    QPainter* Painter();

private:
    void Touched(const TRect& r);
    // The 24-bit pixels of source's from copied onto this canvas's to (same sizes, inside both
    // images), only the pixels that differ counting as touched; false (nothing copied) where
    // the images do not fit that case.
    bool CopyChangedPixels(const QRect& to, TCanvas* source, const QRect& from);
    void ApplyBrush(QPainter& p);
    void ApplyPen(QPainter& p);
    // Puts the painter back as a drawing call found it (painterstate.h).
    struct PainterState;
    // Text drawing (textengine.h caches fonts, metrics and glyph runs per font and spacing).
    TTextCache& Text() const;
    void DrawTextLine(QPainter* p, const TTextLine& line, int x, int y, bool opaque, TRect& touched);
    // A 24-bit target without an open painter is filled and gets its text written directly,
    // without the cost of opening a painter; text then comes from cached coverage masks, at
    // any scale (DirectText), fills at whole-number scales only (DirectTarget), where no
    // logical edge cuts a device pixel.
    bool DirectTarget() const;
    bool DirectText() const;
    // clip stays where it is; textClip, when given, moves with the text grid.
    void DrawTextLineDirect(const TTextLine& line, int x, int y, bool opaque, const QRect& clip, const QRect* textClip,
                            TRect& touched);
    // A logical rectangle of text as device pixels of the target, moved with the text grid: on
    // it each edge is rounded to the nearest device pixel edge as NearestPixel rounds; off it,
    // as DeviceRectRounded.
    QRect TextDeviceRectRounded(const QRect& r) const;
    void ApplyClip(QPainter& p);
    void DrawBitmap(const TRect& dest, const TBitmap* bmp);

    QImage* m_target = nullptr;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TBrush> m_brush;
    std::unique_ptr<TPen> m_pen;
    TCopyMode m_copyMode = TCopyMode::cmSrcCopy;
    TPoint m_penPos;
    int m_charExtra = 0;
    bool m_bkTransparent = false;
    bool m_textGrid = false;
    QPointF m_textShift;   // device pixels, while m_textGrid
    bool m_hasClip = false;
    TRect m_clip;
    bool m_inPath = false;
    QPainterPath m_path;
    int m_lockCount = 0;
    mutable std::unique_ptr<TTextCache> m_text;
};

// Draws a classic Windows 3D edge (BDR_ and BF_ flags) into r; with BF_ADJUST r shrinks by the
// edge's width on the sides drawn, as on Windows. Returns false for an empty rectangle.
bool DrawEdge(TCanvas* canvas, TRect& r, uint32_t edge, uint32_t flags);

// ---------------------------------------------------------------------------------------------
// TBitmap: a 24-bit image, three bytes per pixel in the order blue, green, red
// (QImage::Format_BGR888). Rows are bytesPerLine() apart, which is not always width * 3.
// ---------------------------------------------------------------------------------------------
enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

class TBitmap : public TGraphicsObject {
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;
    QString ClassName() const override { return QStringLiteral("TBitmap"); }
    void Assign(const TPersistent* Source) override;

    // The size is kept apart from the image, so that a width set before the height (0 x h
    // or w x 0, which hold no pixels) is not lost.
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }
    // Keeps the overlapping top-left part; new pixels are white. 0 x 0 releases the memory.
    void SetSize(int w, int h);
    // A fresh w x h image whose pixels are left as the allocator gives them, for a caller that
    // covers every pixel at once (a frame filled with its background): it saves whitening
    // memory that is written over right away.
    void AllocateUnfilled(int w, int h);
    bool Empty() const { return m_image.isNull() || Width() == 0 || Height() == 0; }

    // The format is a label (the pixel routines refuse anything but pf24bit): the pixels
    // always stay 24-bit BGR, also for pf32bit, so no label can make them another layout.
    TPixelFormat PixelFormat() const { return m_format; }
    void SetPixelFormat(TPixelFormat f);

    // Transparent drawing of Draw: pixels of TransparentColor are skipped when Transparent.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v) { m_transparent = v; }
    TColor TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(TColor c) { m_transparentColor = c; }

    // Device pixels per logical pixel (1 unless set). Width, Height, ScanLine and the pixel
    // routines count device pixels; the canvas draws in logical coordinates, so on a scaled
    // screen text and lines are rasterised at the screen's own resolution. Takes effect for the
    // pixels the bitmap holds and for every later size.
    qreal DevicePixelRatio() const { return m_ratio; }
    void SetDevicePixelRatio(qreal ratio);

    TCanvas* Canvas() const;
    // Start of row y, for the pixel routines (closes the canvas's painter first).
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    int BytesPerLine() const { return int(m_image.bytesPerLine()); }

    // The pixels, read-only (closes the canvas's painter first). Pixels are written through
    // ScanLine and Canvas, and replaced through SetImage or SetSize, so that the stored size
    // and the 24-bit layout the pixel routines rely on always match the image.
    const QImage& Image() const;
    void SetImage(const QImage& img);   // converted to 24 bits; keeps the bitmap's pixel ratio
    bool LoadFromFile(const QString& path);

private:
    QImage m_image;
    int m_width = 0;
    int m_height = 0;
    qreal m_ratio = 1;
    TPixelFormat m_format = TPixelFormat::pf24bit;
    bool m_transparent = false;
    TColor m_transparentColor = clWhite;
    mutable std::unique_ptr<TCanvas> m_canvas;
};
