// The drawing surface: the few drawing operations the graphs need, in the conventions of the
// classic Windows drawing interface. A rectangle (left, top, right, bottom) covers columns
// left .. right - 1 and rows top .. bottom - 1; framing draws a one-unit outline inside it, filling
// and inverting cover exactly it; a line from A to B does not paint B; text is placed with its
// top-left corner at the given point.
#pragma once

#include <string>

namespace tavrel {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Color {
    unsigned char r = 0;
    unsigned char g = 0;
    unsigned char b = 0;
    bool operator==(const Color&) const = default;
};

class Surface {
  public:
    virtual ~Surface() = default;

    // One-unit outline along the inside of the rectangle.
    virtual void FrameRect(const Rect& rect, Color color) = 0;
    // Current pen position, then a line to the point (end point not painted); the pen moves there.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // Fills the rectangle with the colour; like the Windows call it also makes that colour the
    // background colour, which callers restore with SetBkColor.
    virtual void FillSolidRect(const Rect& rect, Color color) = 0;
    virtual void InvertRect(const Rect& rect) = 0;
    // Text in the current font and text colour, top-left corner at (x, y).
    virtual void TextOut(int x, int y, const std::string& utf8) = 0;
    // Text centred horizontally in the box, top-aligned, not clipped to it.
    virtual void DrawTextCentered(const Rect& box, const std::string& utf8) = 0;
    // Text in the colour given, top-left corner at (x, y), cut off at the edges of `clip` (the
    // classic call with a clipping rectangle). The current text colour stays as it was.
    virtual void TextOutClipped(int x, int y, const Rect& clip, Color color,
                                const std::string& utf8) = 0;
    virtual Color GetBkColor() const = 0;
    virtual void SetBkColor(Color color) = 0;
    // The part of the surface that needs drawing, in logical units.
    virtual Rect GetClipBox() const = 0;
};

}  // namespace tavrel
