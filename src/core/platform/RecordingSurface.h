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
        enum class Kind {
            Frame,
            MoveTo,
            LineTo,
            Fill,
            Invert,
            Text,
            CenteredText,
            SetBk,
            ClippedText
        };
        Kind kind;
        Rect rect;         // Frame, Fill, Invert, CenteredText; MoveTo/LineTo/Text use left, top
        Color color;       // Frame, Fill, SetBk, ClippedText
        std::string text;  // Text, CenteredText, ClippedText
        Rect clip{};       // ClippedText
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
    void TextOutClipped(int x, int y, const Rect& clip, Color color,
                        const std::string& utf8) override;
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
    // The calls of one kind, in order.
    std::vector<Call> CallsOf(Call::Kind kind) const;

    // One line per call, for comparing whole drawings in tests: "Frame 0 0 180 100 10,10,10",
    // "MoveTo 39 50", "LineTo 40 38", "Fill 90 25 91 75 255,64,64", "Invert 65 25 140 75",
    // "Text 5 2 x0.5[mV]", "Centered 31 81 51 100 2[ms]", "SetBk 255,255,255",
    // "ClippedText 92 2 0 0 770 160 170,0,170 stimulus" (position, clip, colour, text).
    static std::string Describe(const Call& call);
    std::vector<std::string> Log() const;

  private:
    std::vector<Call> m_calls;
    Rect m_clip;
    Color m_bk{255, 255, 255};
};

}  // namespace tavrel
