#include "platform/RecordingSurface.h"

namespace tavrel {

void RecordingSurface::FrameRect(const Rect& rect, Color color) {
    m_calls.push_back({Call::Kind::Frame, rect, color, {}});
}

void RecordingSurface::MoveTo(int x, int y) {
    m_calls.push_back({Call::Kind::MoveTo, {x, y, x, y}, {}, {}});
}

void RecordingSurface::LineTo(int x, int y) {
    m_calls.push_back({Call::Kind::LineTo, {x, y, x, y}, {}, {}});
}

void RecordingSurface::FillSolidRect(const Rect& rect, Color color) {
    m_calls.push_back({Call::Kind::Fill, rect, color, {}});
    m_bk = color;
}

void RecordingSurface::InvertRect(const Rect& rect) {
    m_calls.push_back({Call::Kind::Invert, rect, {}, {}});
}

void RecordingSurface::TextOut(int x, int y, const std::string& utf8) {
    m_calls.push_back({Call::Kind::Text, {x, y, x, y}, {}, utf8});
}

void RecordingSurface::DrawTextCentered(const Rect& box, const std::string& utf8) {
    m_calls.push_back({Call::Kind::CenteredText, box, {}, utf8});
}

void RecordingSurface::SetBkColor(Color color) {
    m_calls.push_back({Call::Kind::SetBk, {}, color, {}});
    m_bk = color;
}

std::vector<RecordingSurface::Line> RecordingSurface::Lines() const {
    std::vector<Line> lines;
    int x = 0;
    int y = 0;
    for (const Call& c : m_calls) {
        if (c.kind == Call::Kind::MoveTo) {
            x = c.rect.left;
            y = c.rect.top;
        } else if (c.kind == Call::Kind::LineTo) {
            lines.push_back({x, y, c.rect.left, c.rect.top});
            x = c.rect.left;
            y = c.rect.top;
        }
    }
    return lines;
}

std::vector<std::string> RecordingSurface::Texts() const {
    std::vector<std::string> texts;
    for (const Call& c : m_calls) {
        if (c.kind == Call::Kind::Text || c.kind == Call::Kind::CenteredText)
            texts.push_back(c.text);
    }
    return texts;
}

}  // namespace tavrel
