// What the fuzz targets share: a small deterministic recording and the operations a user applies
// to whatever document loaded (draw every channel, measure it, fetch its processed data, save it
// again).
#pragma once

#include <cstddef>
#include <string>

#include "document/KaisekiDoc.h"

namespace tavrel::fuzz {

// Fills the sixteen source columns with `rows` samples of an EMG-like test signal (bursts of a
// few hundred hertz at 2000 Hz on a slow baseline, different in each column).
void FillTestRecording(CKaisekiDoc& doc, int rows);

// Draws, measures, reads out and exports every channel, in display and in print scale, and checks
// that saving the document again gives a file that loads to the same bytes. Aborts on any
// inconsistency so that the fuzzer reports it.
void ExerciseDocument(CKaisekiDoc& doc);

}  // namespace tavrel::fuzz
