// A drawing surface that records every call with its exact arguments, for tests, benchmarks and
// fuzzing of the drawing code without a window system.
#pragma once

#include <string>
#include <vector>

#include "platform/Surface.h"

namespace tavrel {

class RecordingSurface : public Surface {
public:
    struct Call {
        enum class Kind { Frame, MoveTo, LineTo, Fill, Invert, Text, CenteredText, SetBk };
        Kind kind;
        Rect rect;       // Frame, Fill, Invert, CenteredText; MoveTo/LineTo use left, top
        Color color;     // Frame, Fill, SetBk
        std::string text;  // Text, CenteredText
    };

    explicit RecordingSurface(Rect clip = {-1000000000, -1000000000, 1000000000, 1000000000})
        : m_clip(clip) {}

    void FrameRect(const Rect& rect, Color color) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void FillSolidRect(const Rect& rect, Color color) override;
    void InvertRect(const Rect& rect) override;
    void TextOut(int x, int y, const std::string& utf8) override;
    void DrawTextCentered(const Rect& box, const std::string& utf8) override;
    Color GetBkColor() const override { return m_bk; }
    void SetBkColor(Color color) override;
    Rect GetClipBox() const override { return m_clip; }

    void SetClipBox(Rect clip) { m_clip = clip; }
    const std::vector<Call>& Calls() const { return m_calls; }
    void Clear() { m_calls.clear(); }

    // A line segment drawn with LineTo, from the pen position before it.
    struct Line {
        int x1, y1, x2, y2;
        bool operator==(const Line&) const = default;
    };
    std::vector<Line> Lines() const;
    std::vector<std::string> Texts() const;

private:
    std::vector<Call> m_calls;
    Rect m_clip;
    Color m_bk{255, 255, 255};
};

}  // namespace tavrel
