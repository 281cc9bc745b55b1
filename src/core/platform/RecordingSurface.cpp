#include "platform/RecordingSurface.h"

#include <string>

namespace tavrel {

void RecordingSurface::FrameRect(const Rect& rect, Color color) {
    m_calls.push_back({Call::Kind::Frame, rect, color, {}, {}});
}

void RecordingSurface::MoveTo(int x, int y) {
    m_calls.push_back({Call::Kind::MoveTo, {x, y, x, y}, {}, {}, {}});
}

void RecordingSurface::LineTo(int x, int y) {
    m_calls.push_back({Call::Kind::LineTo, {x, y, x, y}, {}, {}, {}});
}

void RecordingSurface::FillSolidRect(const Rect& rect, Color color) {
    m_calls.push_back({Call::Kind::Fill, rect, color, {}, {}});
    m_bk = color;
}

void RecordingSurface::InvertRect(const Rect& rect) {
    m_calls.push_back({Call::Kind::Invert, rect, {}, {}, {}});
}

void RecordingSurface::TextOut(int x, int y, const std::string& utf8) {
    m_calls.push_back({Call::Kind::Text, {x, y, x, y}, {}, utf8, {}});
}

void RecordingSurface::DrawTextCentered(const Rect& box, const std::string& utf8) {
    m_calls.push_back({Call::Kind::CenteredText, box, {}, utf8, {}});
}

void RecordingSurface::TextOutClipped(int x, int y, const Rect& clip, Color color,
                                      const std::string& utf8) {
    m_calls.push_back({Call::Kind::ClippedText, {x, y, x, y}, color, utf8, clip});
}

void RecordingSurface::SetBkColor(Color color) {
    m_calls.push_back({Call::Kind::SetBk, {}, color, {}, {}});
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
        if (c.kind == Call::Kind::Text || c.kind == Call::Kind::CenteredText ||
            c.kind == Call::Kind::ClippedText)
            texts.push_back(c.text);
    }
    return texts;
}

std::vector<RecordingSurface::Call> RecordingSurface::CallsOf(Call::Kind kind) const {
    std::vector<Call> calls;
    for (const Call& c : m_calls) {
        if (c.kind == kind) calls.push_back(c);
    }
    return calls;
}

namespace {

std::string Numbers(std::initializer_list<int> values) {
    std::string text;
    for (int v : values) {
        text += ' ';
        text += std::to_string(v);
    }
    return text;
}

std::string ColorText(Color c) {
    return " " + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

}  // namespace

std::string RecordingSurface::Describe(const Call& c) {
    using Kind = Call::Kind;
    const Rect& r = c.rect;
    switch (c.kind) {
        case Kind::Frame:
            return "Frame" + Numbers({r.left, r.top, r.right, r.bottom}) + ColorText(c.color);
        case Kind::MoveTo:
            return "MoveTo" + Numbers({r.left, r.top});
        case Kind::LineTo:
            return "LineTo" + Numbers({r.left, r.top});
        case Kind::Fill:
            return "Fill" + Numbers({r.left, r.top, r.right, r.bottom}) + ColorText(c.color);
        case Kind::Invert:
            return "Invert" + Numbers({r.left, r.top, r.right, r.bottom});
        case Kind::Text:
            return "Text" + Numbers({r.left, r.top}) + " " + c.text;
        case Kind::CenteredText:
            return "Centered" + Numbers({r.left, r.top, r.right, r.bottom}) + " " + c.text;
        case Kind::SetBk:
            return "SetBk" + ColorText(c.color);
        case Kind::ClippedText:
            return "ClippedText" + Numbers({r.left, r.top}) +
                   Numbers({c.clip.left, c.clip.top, c.clip.right, c.clip.bottom}) +
                   ColorText(c.color) + " " + c.text;
    }
    return {};
}

std::vector<std::string> RecordingSurface::Log() const {
    std::vector<std::string> log;
    log.reserve(m_calls.size());
    for (const Call& c : m_calls)
        log.push_back(Describe(c));
    return log;
}

}  // namespace tavrel
