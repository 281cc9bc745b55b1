// Recordings for tests, written through EDFlib's own writer: EDF, EDF+, BDF and BDF+ files with
// signals of given rates, ranges and values, and what EDFlib itself reads back from them.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tavrel::test {

struct EdfSignalSpec {
    std::string label;
    std::string unit = "uV";
    int samplesPerRecord = 2000;
    double physMin = -3000.0;
    double physMax = 3000.0;
    // 0 and 0: the full range of the format (16 bits for EDF, 24 bits for BDF).
    int digMin = 0;
    int digMax = 0;
    // The physical value of sample i.
    std::function<double(int)> value;
};

struct EdfSpec {
    int fileType = 0;  // EDFLIB_FILETYPE_EDF, _EDFPLUS, _BDF or _BDFPLUS
    int records = 3;
    // Record duration in units of 10 microseconds (EDFlib's writer unit); 100000 = one second.
    int recordDuration = 100000;
    std::vector<EdfSignalSpec> channels;  // "signals" is a Qt macro
};

// Three sines of known frequency and amplitude at 2000 Hz ("uV"), three records of one second.
EdfSpec ThreeSines(int fileType);

// Writes the recording; an EDF+ or BDF+ file gets an annotation signal with one annotation.
// Fails the test (and returns false) when EDFlib refuses.
bool WriteEdf(const std::string& path, const EdfSpec& spec);

// The physical values of every ordinary signal as EDFlib reads them.
std::vector<std::vector<double>> ReadEdfPhysical(const std::string& path);

// A comma-separated data file with the columns given (a shorter column leaves its cells out at
// the end of the line), every value written with 17 significant digits so that it reads back as
// the same double.
void WriteColumnsCsv(const std::string& path, const std::vector<std::vector<double>>& columns);

}  // namespace tavrel::test
