// `info --data FILE`: what the reader makes of a data file, as one JSON object; and the events
// table of `measure --events`.
#include "cli/RecordingInfo.h"

#include <charconv>
#include <cmath>

#include "document/Measurements.h"
#include "platform/Json.h"

namespace tavrel::cli {

namespace {

// The shortest text that reads back as the same number (times of events are mostly round).
void AppendShortest(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

}  // namespace

std::string DescribeRecording(const std::string& file, const Recording& recording) {
    std::string out = "{\"file\":";
    AppendJsonString(out, file);
    out += ",\"rate\":";
    if (recording.notes.values)
        AppendJsonInt(out, recording.notes.values->rate);
    else
        out += "null";
    out += ",\"unit\":";
    if (recording.notes.values)
        AppendJsonString(out, recording.notes.values->unit);
    else
        out += "null";
    out += ",\"rows\":";
    AppendJsonInt(out, recording.rowCount);
    out += ",\"rowsLeftOut\":";
    out += recording.notes.rowsLeftOut ? "true" : "false";
    out += ",\"channels\":[";
    bool any = false;
    for (int k = 0; k < Recording::kColumns; ++k) {
        const auto& column = recording.columns[static_cast<std::size_t>(k)];
        const auto& label = recording.labels[static_cast<std::size_t>(k)];
        if (column.empty() && label.empty()) continue;
        out += any ? "," : "";
        any = true;
        out += "{\"column\":";
        AppendJsonInt(out, k + 1);
        out += ",\"label\":";
        AppendJsonString(out, label);
        out += ",\"samples\":";
        AppendJsonInt(out, static_cast<long long>(column.size()));
        out += '}';
    }
    auto list = [&](const char* key, const std::vector<std::string>& items) {
        out += ",\"";
        out += key;
        out += "\":[";
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i) out += ',';
            AppendJsonString(out, items[i]);
        }
        out += ']';
    };
    out += ']';
    list("otherRate", recording.notes.otherRate);
    list("skipped", recording.notes.skipped);
    out += ",\"events\":[";
    for (std::size_t i = 0; i < recording.events.size(); ++i) {
        const RecordingEvent& event = recording.events[i];
        out += i ? ",{\"onset_ms\":" : "{\"onset_ms\":";
        AppendShortest(out, event.onsetMs);
        out += ",\"duration_ms\":";
        AppendShortest(out, event.durationMs);
        out += ",\"text\":";
        AppendJsonString(out, event.text);
        out += '}';
    }
    out += "]}\n";
    return out;
}

void AppendEventsHeader(std::string& out) {
    out += "file,onset_ms,duration_ms,text\n";
}

void AppendEventRows(std::string& out, const std::string& file,
                     const std::vector<RecordingEvent>& events) {
    for (const RecordingEvent& event : events) {
        AppendCsvField(out, file);
        out += ',';
        AppendShortest(out, event.onsetMs);
        out += ',';
        AppendShortest(out, event.durationMs);
        out += ',';
        AppendCsvField(out, event.text);
        out += '\n';
    }
}

}  // namespace tavrel::cli
