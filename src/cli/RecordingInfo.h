// What `info --data` prints of a recording, and the rows of `measure --events`.
#pragma once

#include <string>
#include <vector>

#include "document/Recording.h"

namespace tavrel::cli {

// One JSON object: file, rate and unit (null for text), rows, the channels read (column, label,
// samples), the channels of another rate, the skipped parts and the events.
std::string DescribeRecording(const std::string& file, const Recording& recording);

// "file,onset_ms,duration_ms,text" and one CSV row per event.
void AppendEventsHeader(std::string& out);
void AppendEventRows(std::string& out, const std::string& file,
                     const std::vector<RecordingEvent>& events);

}  // namespace tavrel::cli
