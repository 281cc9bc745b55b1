// Writes the bundled example into a folder: emg-demo.csv, a four-channel EMG-like recording at
// 2000 Hz (bursts of muscle activity on baseline noise, 50 Hz mains hum and a slow drift, with a
// time-stamp column and a header line), and emg-demo.kcd, a set-up that reads it and shows the
// module catalogue at work. The output is the same on every run.
//
// It also writes fatigue-demo.csv, one sustained contraction of eight seconds at 1000 Hz whose
// EMG spectrum slides down as the muscle tires, and fatigue-demo.kcd, which shows the raw signal,
// its median-frequency trend and its power spectrum.
//
// Usage: tavrel-make-example [FOLDER]   (default: the current folder)
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "document/KaisekiDoc.h"
#include "modules/analysis/AActDetFilter.h"
#include "modules/analysis/EnvelopeFilters.h"
#include "modules/analysis/SDActDetFilter.h"
#include "modules/analysis/FreqTrendFilter.h"
#include "modules/analysis/WelchViewFilter.h"
#include "modules/filters/BPFilter.h"
#include "modules/filters/BSFilter.h"
#include "modules/filters/DiodeFilter.h"
#include "modules/filters/FFTView.h"
#include "modules/filters/HPFilter.h"
#include "modules/filters/IirFilters.h"
#include "modules/filters/ReSmplFilter.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/DmyPipe.h"

namespace {

using namespace tavrel;

constexpr int kRate = 2000;
constexpr int kRows = 8000;  // four seconds
constexpr int kEmgChannels = 4;
constexpr double kPi = 3.14159265358979323846;

// A small deterministic generator, so that the files never change between runs and machines.
class Noise {
  public:
    explicit Noise(unsigned seed) : m_state(seed) {}
    // Uniform in [-1, 1).
    double Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / 8388608.0 - 1.0;
    }

  private:
    unsigned m_state;
};

// Smooth rise and fall of a burst between `start` and `end` seconds.
double Envelope(double t, double start, double end) {
    if (t <= start || t >= end) return 0.0;
    double x = (t - start) / (end - start);
    return std::sin(kPi * x) * std::sin(kPi * x);
}

struct Burst {
    double start;
    double end;
    double amplitude;  // mV
};

std::vector<std::vector<double>> MakeSignals() {
    const std::vector<Burst> bursts[kEmgChannels] = {
        {{0.60, 1.30, 0.8}, {2.40, 3.10, 1.1}},
        {{0.90, 1.50, 0.5}, {2.70, 3.50, 0.7}},
        {{0.30, 0.80, 0.3}, {1.60, 2.30, 0.9}, {3.20, 3.70, 0.4}},
        {{1.10, 2.60, 0.6}},
    };
    std::vector<std::vector<double>> signals(kEmgChannels, std::vector<double>(kRows));
    for (int c = 0; c < kEmgChannels; ++c) {
        Noise noise(1234u + 77u * static_cast<unsigned>(c));
        // The muscle's carrier: white noise shaped into the broad 20 - 250 Hz band of surface EMG
        // by a one-pole high-pass and two one-pole low-passes.
        const double highPass = std::exp(-2.0 * kPi * 20.0 / kRate);
        const double lowPass = std::exp(-2.0 * kPi * (150.0 + 20.0 * c) / kRate);
        double previousWhite = 0.0;
        double high = 0.0;
        double low1 = 0.0;
        double low2 = 0.0;
        double hum = 0.04 + 0.01 * c;
        for (int i = 0; i < kRows; ++i) {
            double t = static_cast<double>(i) / kRate;
            double white = noise.Next();
            high = highPass * (high + white - previousWhite);
            previousWhite = white;
            low1 = lowPass * low1 + (1.0 - lowPass) * high;
            low2 = lowPass * low2 + (1.0 - lowPass) * low1;
            double carrier = 4.0 * low2;
            double activity = 0.0;
            for (const Burst& b : bursts[c])
                activity += b.amplitude * Envelope(t, b.start, b.end);
            double value = activity * carrier + 0.02 * noise.Next() +
                           hum * std::sin(2.0 * kPi * 50.0 * t) +
                           0.15 * std::sin(2.0 * kPi * 0.3 * t + c);
            signals[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] = value;
        }
    }
    return signals;
}

void AppendFixed(std::string& line, double value, int decimals) {
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    line.append(buffer, result.ptr);
}

bool WriteCsv(const std::string& path, const std::vector<std::vector<double>>& signals) {
    std::string text = "Time[ms],EMG1[mV],EMG2[mV],EMG3[mV],EMG4[mV]\r\n";
    for (int i = 0; i < kRows; ++i) {
        AppendFixed(text, 1000.0 * i / kRate, 1);
        for (const auto& column : signals) {
            text += ',';
            AppendFixed(text, column[static_cast<std::size_t>(i)], 5);
        }
        text += "\r\n";
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

// Normalised cut-off of `hz` at the example's rate, as the filter dialogs store it.
double Cutoff(int hz) {
    return 2.0 * hz / kRate;
}

template <class M>
M* Append(CKaisekiDoc& doc, int channel) {
    auto* module = new M;
    module->m_doc = &doc;
    CModBase::AppendModule(doc.m_chains[static_cast<std::size_t>(channel)].get(), module);
    return module;
}

void AddBandPass(CKaisekiDoc& doc, int channel) {
    auto* bandPass = Append<CBPFilter>(doc, channel);
    bandPass->m_cutoff = Cutoff(20);
    bandPass->m_cutoffHigh = Cutoff(450);
}

void BuildSetUp(CKaisekiDoc& doc) {
    doc.OnNewDocument();
    // Found beside the document when it is opened from elsewhere.
    doc.m_dataFilePath = "emg-demo.csv";
    doc.m_headerRows = 1;
    doc.m_skipColumns = 1;

    // CH1: the classic EMG envelope with the onset of activity marked.
    AddBandPass(doc, 0);
    Append<CDiodeFilter>(doc, 0)->m_halfWave = 0;
    Append<CSmothFilter>(doc, 0)->m_points = 100;
    auto* onset = Append<CAActDetFilter>(doc, 0);
    onset->m_thresholdPercent = 20;
    onset->m_minDurationMs = 100;

    // CH2: a probe after the band-pass ("プローブデータ表示" shows the filtered signal), then a
    // rectified, smoothed and decimated envelope.
    AddBandPass(doc, 1);
    Append<CDmyPipe>(doc, 1)->m_probeOn = 1;
    Append<CDiodeFilter>(doc, 1)->m_halfWave = 0;
    Append<CSmothFilter>(doc, 1)->m_points = 50;
    Append<CReSmplFilter>(doc, 1)->m_step = 10;

    // CH3: the spectrum of the band-passed signal after a band-stop has taken out the 50 Hz hum.
    AddBandPass(doc, 2);
    auto* notch = Append<CBSFilter>(doc, 2);
    notch->m_cutoff = Cutoff(40);
    notch->m_cutoffHigh = Cutoff(60);
    auto* spectrum = Append<CFFTViewFilter>(doc, 2);
    spectrum->m_start = 3200;  // inside the second burst
    spectrum->m_points = 1024;

    // CH4: a high-pass and a positive half-wave rectifier with a long moving average.
    Append<CHPFilter>(doc, 3)->m_cutoff = Cutoff(20);
    Append<CDiodeFilter>(doc, 3);
    Append<CSmothFilter>(doc, 3)->m_points = 200;

    // CH5 - CH8: the raw recordings of the four columns, through CH5's list (its head alone).
    for (int c = 0; c < 4; ++c)
        doc.m_channelSource[static_cast<std::size_t>(4 + c)] = static_cast<std::uint8_t>(c);
    // CH9 - CH16 have no source: the file has only four data columns.
    for (int c = 8; c < CKaisekiDoc::kChannels; ++c)
        doc.m_channelSource[static_cast<std::size_t>(c)] = CKaisekiDoc::kNoSource;
    for (int c = 0; c < 5; ++c)
        doc.m_channelEnabled[static_cast<std::size_t>(c)] = 1;
}

// A zero-phase Butterworth filter of order 4.
CButterFilter* AddButter(CKaisekiDoc& doc, int channel, int kind, double lowHz, double highHz) {
    auto* butter = Append<CButterFilter>(doc, channel);
    butter->m_kind = kind;
    butter->m_lowHz = lowHz;
    butter->m_highHz = highHz;
    return butter;
}

// The second set-up on the same recording, as the surface-EMG recommendations do it.
void BuildGuidelinesSetUp(CKaisekiDoc& doc) {
    doc.OnNewDocument();
    doc.m_dataFilePath = "emg-demo.csv";
    doc.m_headerRows = 1;
    doc.m_skipColumns = 1;

    // CH1: band-pass 20-450 Hz, the mains notch with two harmonics, full-wave rectification, the
    // linear envelope (low-pass 6 Hz), normalised to its largest value.
    AddButter(doc, 0, 2, 20.0, 450.0);
    Append<CNotchFilter>(doc, 0)->m_harmonics = 3;
    Append<CDiodeFilter>(doc, 0)->m_halfWave = 0;
    AddButter(doc, 0, 0, 20.0, 6.0);
    Append<CNormFilter>(doc, 0);

    // CH2: the band-passed signal's moving RMS over 100 ms (200 samples at 2000 Hz).
    AddButter(doc, 1, 2, 20.0, 450.0);
    Append<CRmsFilter>(doc, 1)->m_points = 200;

    // CH3: Teager-Kaiser energy of the band-passed signal, then the SD onset detector.
    AddButter(doc, 2, 2, 20.0, 450.0);
    Append<CTkeoFilter>(doc, 2);
    Append<CSDActDetFilter>(doc, 2);

    // CH4: the raw recording of the first column, through CH4's list (its head alone).
    doc.m_channelSource[3] = 0;
    for (int c = 4; c < CKaisekiDoc::kChannels; ++c)
        doc.m_channelSource[static_cast<std::size_t>(c)] = CKaisekiDoc::kNoSource;
    for (int c = 0; c < 4; ++c)
        doc.m_channelEnabled[static_cast<std::size_t>(c)] = 1;
}

bool WriteDocument(const std::string& path, CKaisekiDoc& doc) {
    std::string bytes = doc.SaveToBytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::fprintf(stderr, "tavrel-make-example: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

// ---- the fatiguing contraction

constexpr int kFatigueRate = 1000;
constexpr int kFatigueRows = 8000;

// The contraction over the whole recording: noise through a band whose upper corner falls from
// 180 Hz to 60 Hz as the muscle tires, growing in amplitude, on a little measurement noise.
std::vector<double> MakeFatigueSignal() {
    Noise noise(4242u);
    std::vector<double> y(kFatigueRows);
    const double highPass = std::exp(-2.0 * kPi * 15.0 / kFatigueRate);
    double previousWhite = 0.0;
    double high = 0.0;
    double low1 = 0.0;
    double low2 = 0.0;
    for (int i = 0; i < kFatigueRows; ++i) {
        const double t = static_cast<double>(i) / kFatigueRate;
        const double progress = t * kFatigueRate / kFatigueRows;
        const double lowPass = std::exp(-2.0 * kPi * (180.0 - 120.0 * progress) / kFatigueRate);
        const double white = noise.Next();
        high = highPass * (high + white - previousWhite);
        previousWhite = white;
        low1 = lowPass * low1 + (1.0 - lowPass) * high;
        low2 = lowPass * low2 + (1.0 - lowPass) * low1;
        y[static_cast<std::size_t>(i)] = (1.0 + 0.3 * progress) * 3.0 * low2 + 0.01 * noise.Next();
    }
    return y;
}

bool WriteFatigueCsv(const std::string& path) {
    const std::vector<double> y = MakeFatigueSignal();
    std::string text = "Time[ms],EMG[mV]\r\n";
    for (int i = 0; i < kFatigueRows; ++i) {
        AppendFixed(text, 1000.0 * i / kFatigueRate, 1);
        text += ',';
        AppendFixed(text, y[static_cast<std::size_t>(i)], 5);
        text += "\r\n";
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

void BuildFatigueSetUp(CKaisekiDoc& doc) {
    doc.OnNewDocument();
    doc.m_dataFilePath = "fatigue-demo.csv";
    doc.m_headerRows = 1;
    doc.m_skipColumns = 1;
    for (auto& head : doc.m_chains)
        head->m_samplingRate = kFatigueRate;
    // CH1 the raw contraction, CH2 its median frequency every 250 ms over 500 ms windows, CH3 its
    // power spectrum; CH4 - CH16 have no source.
    Append<CFreqTrendFilter>(doc, 1);
    Append<CWelchViewFilter>(doc, 2)->m_points = 512;
    for (int c = 0; c < 3; ++c) {
        doc.m_channelSource[static_cast<std::size_t>(c)] = 0;
        doc.m_channelEnabled[static_cast<std::size_t>(c)] = 1;
    }
    for (int c = 3; c < CKaisekiDoc::kChannels; ++c)
        doc.m_channelSource[static_cast<std::size_t>(c)] = CKaisekiDoc::kNoSource;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : ".";
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (!WriteCsv(folder + "emg-demo.csv", MakeSignals())) {
        std::fprintf(stderr, "tavrel-make-example: cannot write %semg-demo.csv\n", folder.c_str());
        return 2;
    }
    CKaisekiDoc doc;
    BuildSetUp(doc);
    if (!WriteDocument(folder + "emg-demo.kcd", doc)) return 2;
    CKaisekiDoc guidelines;
    BuildGuidelinesSetUp(guidelines);
    if (!WriteDocument(folder + "emg-guidelines.kcd", guidelines)) return 2;
    CKaisekiDoc fatigue;
    BuildFatigueSetUp(fatigue);
    if (!WriteFatigueCsv(folder + "fatigue-demo.csv") ||
        !WriteDocument(folder + "fatigue-demo.kcd", fatigue)) {
        std::fprintf(stderr, "tavrel-make-example: cannot write %sfatigue-demo\n", folder.c_str());
        return 2;
    }
    return 0;
}
