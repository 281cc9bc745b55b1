#include "pipeline/ModBase.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <string_view>

#include "pipeline/DialogIds.h"
#include "pipeline/ModuleDialog.h"
#include "pipeline/ModuleRegistry.h"
#include "pipeline/ParamDlg.h"
#include "platform/Archive.h"
#include "platform/LargePages.h"
#include "platform/Rounding.h"
#include "platform/Translate.h"

namespace tavrel {

namespace {

// Arrays of at least this many samples (4 MiB) are kept for reuse when freed,
constexpr std::size_t kKeptSamplesMin = std::size_t{1} << 19;
// together at most this many bytes; the oldest make room.
constexpr std::size_t kKeptSamplesBytes = std::size_t{256} << 20;
// A kept array serves a request that needs at least this share of it (in eighths).
constexpr std::size_t kFitEighths = 6;

struct KeptArray {
    double* samples;
    std::size_t capacity;
};

struct KeptArrays {
    std::mutex lock;
    std::vector<KeptArray> arrays;  // oldest first
    std::size_t bytes = 0;
};

// Never destroyed: arrays are freed until the program's very end.
KeptArrays& Kept() {
    static auto* kept = new KeptArrays;
    return *kept;
}

// A kept array for `count` samples (the smallest that fits), or null.
KeptArray TakeKept(std::size_t count) {
    KeptArrays& kept = Kept();
    std::lock_guard<std::mutex> guard(kept.lock);
    auto best = kept.arrays.end();
    for (auto it = kept.arrays.begin(); it != kept.arrays.end(); ++it) {
        if (it->capacity >= count && it->capacity * kFitEighths <= count * 8 &&
            (best == kept.arrays.end() || it->capacity < best->capacity))
            best = it;
    }
    if (best == kept.arrays.end()) return {nullptr, 0};
    const KeptArray found = *best;
    kept.arrays.erase(best);
    kept.bytes -= found.capacity * sizeof(double);
    return found;
}

}  // namespace

void SampleDeleter::operator()(double* samples) const {
    if (capacity < kKeptSamplesMin || capacity * sizeof(double) > kKeptSamplesBytes) {
        delete[] samples;
        return;
    }
    std::vector<double*> freed;
    {
        KeptArrays& kept = Kept();
        std::lock_guard<std::mutex> guard(kept.lock);
        while (!kept.arrays.empty() && kept.bytes + capacity * sizeof(double) > kKeptSamplesBytes) {
            freed.push_back(kept.arrays.front().samples);
            kept.bytes -= kept.arrays.front().capacity * sizeof(double);
            kept.arrays.erase(kept.arrays.begin());
        }
        try {
            kept.arrays.push_back({samples, capacity});
            kept.bytes += capacity * sizeof(double);
        } catch (const std::bad_alloc&) {
            freed.push_back(samples);
        }
    }
    for (double* array : freed)
        delete[] array;
}

SampleBuffer AllocSamples(long long count) {
    if (count < 0) return nullptr;
    static std::atomic<std::uint64_t> lastSerial{0};
    SampleDeleter deleter;
    deleter.serial = ++lastSerial;
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted < kKeptSamplesMin) return SampleBuffer(new (std::nothrow) double[wanted], deleter);
    KeptArray array = TakeKept(wanted);
    if (!array.samples) {
        // Room up to the end of the last large page the array reaches (never touched unless a
        // later, longer array reuses it).
        const std::size_t room = LargePageBytes(wanted * sizeof(double)) / sizeof(double);
        array = {new (std::nothrow) double[room], room};
        if (!array.samples) return SampleBuffer(nullptr, deleter);
        AdviseLargePages(array.samples, room * sizeof(double));
    }
    deleter.capacity = array.capacity;
    return SampleBuffer(array.samples, deleter);
}

CModBase::CModBase() = default;
CModBase::~CModBase() = default;

// ---- persistent form -------------------------------------------------------------------------

void CModBase::SerializeOwn(Archive&) {}

void CModBase::Serialize(Archive& ar) {
    std::vector<CModBase*> chain;
    CModBase* module = this;
    if (ar.IsStoring()) {
        while (true) {
            chain.push_back(module);
            ar.WriteString(module->m_name);
            ar.WriteInt(module->m_samplingRate);
            CModBase* next = module->m_next;
            if (!next || ar.WriteObjectReference(next)) {
                if (!next) ar.WriteNullTag();
                break;
            }
            ar.WriteClassTag(next->GetClassName(), 1);
            ar.MapStoredObject(next);
            module = next;
        }
    } else {
        while (true) {
            chain.push_back(module);
            module->m_name = ar.ReadString();
            module->m_samplingRate = ar.ReadInt();
            Archive::Tag tag = ar.ReadTag();
            if (tag.kind == Archive::Tag::Kind::Null) break;
            // A module already read cannot follow again: that would share it between chains or
            // close a cycle.
            if (tag.kind == Archive::Tag::Kind::ObjectReference)
                throw ArchiveError(ArchiveError::Kind::Malformed, "module referenced twice");
            std::unique_ptr<CModBase> next = CreateModuleForArchive(tag);
            ar.MapLoadedObject(next.get());
            next->m_prev = module;
            module->m_next = next.release();
            module = module->m_next;
        }
    }
    // Own fields follow in reverse chain order: the last module's first.
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        (*it)->SerializeOwn(ar);
}

// ---- chain-end operations ----------------------------------------------------------------------

CModBase* CModBase::ChainEnd(CModBase* from) {
    CModBase* m = from;
    while (m->m_next && !m->StopsForwarding())
        m = m->m_next;
    return m;
}

void CModBase::ChainPixelsToRange(Surface* surface, const Rect& plot, const Rect& selection,
                                  int out[2]) {
    ChainEnd(this)->PixelsToRange(surface, plot, selection, out);
}

void CModBase::ChainGetData(std::vector<double>* values, std::string* label,
                            std::vector<double>* times) {
    ChainEnd(this)->RecomputeAndGetData(values, label, times);
}

const double* CModBase::ChainViewData(std::string* label, int* count, double* timeStep) {
    *count = 0;
    *timeStep = 0.0;
    CModBase* end = ChainEnd(this);
    // Computes as ChainGetData does; without arrays to fill, only the label is written.
    if (!end->RecomputeAndGetData(nullptr, label, nullptr)) return nullptr;
    if (!end->m_output || end->m_outputCount <= 0) return nullptr;
    const int rate = end->GetSamplingRate();
    *timeStep = rate > 0 ? 1000.0 / rate : 0.0;
    *count = end->m_outputCount;
    return end->m_output.get();
}

SampleBuffer CModBase::ChainTakeData(std::string* label, int* count, double* timeStep) {
    if (!ChainViewData(label, count, timeStep)) return nullptr;
    CModBase* end = ChainEnd(this);
    end->m_outputCount = 0;
    return std::move(end->m_output);
}

void CModBase::ChainDraw(Surface* surface, const Rect& plot, const DisplayState& display,
                         const SampleRange* range) {
    ChainEnd(this)->Draw(surface, plot, display, range);
}

double CModBase::ChainMeasure() {
    return ChainEnd(this)->MeasureMaxAbs();
}

bool CModBase::ChainNeedsOutput() {
    const CModBase* end = ChainEnd(this);
    return !end->m_output || end->m_editing;
}

void CModBase::ChainComputeOutput() {
    CModBase* end = ChainEnd(this);
    // The whole output's vertical maximum, which drawing it scales to, is measured here too (it
    // is kept with the output), so that the drawing finds it.
    if (!end->m_editing) end->DrawOrMeasure([end] { end->MaxAbs(0, end->m_outputCount); });
}

const DisplayState& DisplayOf(const CModBase& module) {
    static const DisplayState defaults;
    return module.m_doc ? module.m_doc->Display() : defaults;
}

// ---- pull protocol -----------------------------------------------------------------------------

void CModBase::WriteInheritedProperties() const {
    if (!m_next) return;
    m_next->m_inputCount = m_outputCount;
    m_next->m_markerIndex = GetMarkerIndex();
    m_next->m_samplingRate = GetSamplingRate();
    m_next->m_doc = m_doc;
    m_next->m_timeExponent = GetTimeExponent();
    m_next->m_unit = OutputUnit();
    m_next->m_unitFactor = m_unitFactor;
    m_next->m_timeUnit = m_timeUnit;
}

SampleBuffer CModBase::HandDownOutput() {
    WriteInheritedProperties();
    return std::move(m_output);
}

bool CModBase::WantsUpstream() const {
    return !m_output && !m_input && m_prev;
}

SampleBuffer CModBase::TakeLocalOutput() {
    if (m_output) return HandDownOutput();
    if (m_input) return TakeOutputFrom(std::move(m_input));
    return nullptr;
}

SampleBuffer CModBase::TakeOutputFrom(SampleBuffer upstream) {
    m_input = std::move(upstream);
    if (!m_input) return nullptr;
    Compute();
    m_input.reset();
    if (m_output) return HandDownOutput();
    return nullptr;
}

SampleBuffer CModBase::TakeOutput() {
    std::vector<CModBase*> path;
    CModBase* top = this;
    while (top->WantsUpstream()) {
        path.push_back(top);
        top = top->m_prev;
    }
    SampleBuffer buffer = top->TakeLocalOutput();
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        buffer = (*it)->TakeOutputFrom(std::move(buffer));
    }
    return buffer;
}

double* CModBase::PullInput() {
    if (m_input) return m_input.get();
    if (!m_prev) return nullptr;
    m_input = m_prev->TakeOutput();
    m_output.reset();
    return m_input.get();
}

int CModBase::Compute() {
    if (!m_input || m_inputCount <= 0) return -1;
    return StoreOutput(m_inputCount, [this](double* y) {
        std::copy(m_input.get(), m_input.get() + m_inputCount, y);
    });
}

void CModBase::Draw(Surface* surface, const Rect& plot, const DisplayState& display,
                    const SampleRange* range) {
    DrawOrMeasure([&] { DrawGraph(surface, plot, display, range); });
}

double CModBase::MeasureMaxAbs() {
    double value = 0.0;
    DrawOrMeasure([&] { value = MaxAbs(0, m_outputCount); });
    return value;
}

void CModBase::DrawOrMeasure(const std::function<void()>& use) {
    if (!PullInput()) return;
    if (m_editing) m_output.reset();
    if (!m_output) Compute();
    use();
    if (m_editing) m_output.reset();
}

int CModBase::RecomputeAndGetData(std::vector<double>* values, std::string* label,
                                  std::vector<double>* times) {
    if (!PullInput()) return 0;
    m_output.reset();
    Compute();
    GetData(values, label, times);
    return 1;
}

std::string CModBase::BuildUnitLabel() const {
    std::string label;
    if (m_unitFactor != 1) label += std::to_string(m_unitFactor) + "x";
    label += "[" + OutputUnit() + "]";
    int exponent = GetTimeExponent();
    if (exponent != 0) {
        label += exponent > 0 ? "*" : "/";
        label += "[" + m_timeUnit + "]";
        long long magnitude = exponent < 0 ? -static_cast<long long>(exponent) : exponent;
        if (magnitude > 1) label += "^" + std::to_string(magnitude);
    }
    return label;
}

void CModBase::GetData(std::vector<double>* values, std::string* label,
                       std::vector<double>* times) {
    if (label) *label += BuildUnitLabel();
    if (values && times && m_output && m_outputCount > 0) {
        int rate = GetSamplingRate();
        // Sample times in double precision: 1000 / rate * i milliseconds. A rate that cannot
        // occur in a sound document (0 or below) gives time 0 rather than a division by zero.
        double step = rate > 0 ? 1000.0 / rate : 0.0;
        values->insert(values->end(), m_output.get(), m_output.get() + m_outputCount);
        times->reserve(times->size() + static_cast<std::size_t>(m_outputCount));
        for (int i = 0; i < m_outputCount; ++i)
            times->push_back(step * i);
    }
}

double CModBase::MaxAbs(int first, int last) const {
    if (!m_output) return 0.0;
    first = std::max(first, 0);
    last = std::min(last, m_outputCount);
    if (first >= last) return 0.0;
    const std::uint64_t serial = m_output.get_deleter().serial;
    MaxAbsCache& cache = m_maxAbsCache;
    if (serial != 0 && cache.serial == serial && cache.count == m_outputCount &&
        cache.first == first && cache.last == last)
        return cache.value;
    // Every drawing scans its whole visible range here, so the scan keeps four independent
    // running extremes (the comparisons then overlap); the extremes of a set do not depend on the
    // order of the scan, and NaN samples fail every comparison as before.
    double largest[4] = {0.0, 0.0, 0.0, 0.0};
    double smallest[4] = {0.0, 0.0, 0.0, 0.0};
    const double* data = m_output.get();
    int i = first;
    for (; i + 4 <= last; i += 4) {
        for (int k = 0; k < 4; ++k) {
            const double v = data[i + k];
            largest[k] = v > largest[k] ? v : largest[k];
            smallest[k] = v < smallest[k] ? v : smallest[k];
        }
    }
    for (; i < last; ++i) {
        const double v = data[i];
        largest[0] = v > largest[0] ? v : largest[0];
        smallest[0] = v < smallest[0] ? v : smallest[0];
    }
    for (int k = 1; k < 4; ++k) {
        largest[0] = largest[k] > largest[0] ? largest[k] : largest[0];
        smallest[0] = smallest[k] < smallest[0] ? smallest[k] : smallest[0];
    }
    const double value = std::max(largest[0], -smallest[0]);
    cache = {serial, m_outputCount, first, last, value};
    return value;
}

int CModBase::PixelsToRange(Surface*, const Rect& plot, const Rect& selection, int out[2]) {
    if (!m_input && !m_output) {
        out[0] = 0;
        out[1] = 0;
        return 0;
    }
    int scale[2];
    DisplayOf(*this).GetPrintScale(scale);
    double width = plot.right - plot.left - 80.0 * scale[0];
    double x0 = plot.left + 40.0 * scale[0];
    double p = width / m_outputCount;
    // Without samples (or without width) every pixel maps to sample 0.
    int first = m_outputCount > 0 && p != 0.0 ? RoundToInt((selection.left - x0) / p) : 0;
    int last = m_outputCount > 0 && p != 0.0 ? RoundToInt((selection.right - x0) / p) : 0;
    first = std::max(first, 0);
    last = std::min(last, m_outputCount);
    out[0] = first;
    out[1] = last;
    return last;
}

void CModBase::ReleaseBuffers() {
    m_input.reset();
    m_output.reset();
    m_inputCount = 0;
    m_outputCount = 0;
}

void CModBase::ClearBuffers() {
    for (CModBase* m = this; m; m = m->m_next)
        m->ReleaseBuffers();
}

void CModBase::DeleteDownstream() {
    CModBase* m = m_next;
    m_next = nullptr;
    while (m) {
        CModBase* next = m->m_next;
        delete m;
        m = next;
    }
}

void ChainDeleter::operator()(CModBase* first) const {
    if (!first) return;
    first->DeleteDownstream();
    delete first;
}

int CModBase::EditSettings() {
    // A class whose dialog is fed by its descriptor's fields gets that dialog; any other class
    // without a dialog of its own the plain confirmation.
    if (const ModuleClass* c = FindModuleClass(GetClassName()); c && HasTableDialog(*c)) {
        CParamDlg dialog(*this);
        return RunModuleDialog(dialog);
    }
    ModuleDialog dialog(*this, dialog_ids::confirm::kTemplate, Translate("ModuleDialog", "確認"),
                        false);
    return RunModuleDialog(dialog);
}

std::unique_ptr<CModBase> CModBase::Clone() const {
    std::unique_ptr<CModBase> clone = CreateModule(GetClassName());
    if (clone) clone->CopySettings(*this);
    return clone;
}

namespace {

// The own fields of `source` read into `target` through the persistent record, when the two
// classes store records of one layout (a module of the same class, or the band-pass and band-stop
// filters, whose records hold the same two cut-offs).
void CopyOwnFields(CModBase& target, const CModBase& source) {
    const ModuleClass* to = FindModuleClass(target.GetClassName());
    const ModuleClass* from = FindModuleClass(source.GetClassName());
    if (!to || !from || to->fields.empty()) return;
    const auto sameField = [](const ModuleField& a, const ModuleField& b) {
        return std::string_view(a.key) == b.key && a.type == b.type;
    };
    if (!std::equal(to->fields.begin(), to->fields.end(), from->fields.begin(), from->fields.end(),
                    sameField))
        return;
    Archive record;
    // Storing only reads the source's fields.
    const_cast<CModBase&>(source).SerializeOwn(record);
    if (record.Bytes().size() != OwnRecordSize(to->fields)) return;
    Archive load(record.Bytes());
    target.SerializeOwn(load);
}

}  // namespace

void CModBase::CopySettings(const CModBase& source) {
    if (&source != this) CopyOwnFields(*this, source);
    m_doc = source.m_doc;
    m_name = source.m_name;
    m_samplingRate = source.m_samplingRate;
    m_markerIndex = source.m_markerIndex;
    m_inputCount = source.m_inputCount;
    m_outputCount = source.m_outputCount;
    m_unit = source.m_unit;
    m_unitFactor = source.m_unitFactor;
    m_timeExponent = source.m_timeExponent;
    m_editing = source.m_editing;
    m_timeUnit = source.m_timeUnit;
}

// ---- chain positions ---------------------------------------------------------------------------

CModBase* CModBase::ModuleAt(CModBase* first, int n) {
    if (n < 0) return nullptr;
    CModBase* m = first;
    for (int i = 0; i < n && m; ++i)
        m = m->m_next;
    return m;
}

CModBase* CModBase::AppendModule(CModBase* first, CModBase* module) {
    CModBase* last = first;
    while (last && last->m_next)
        last = last->m_next;
    module->m_prev = last;
    module->m_next = nullptr;
    if (last) last->m_next = module;
    return module;
}

CModBase* CModBase::InsertModuleAt(CModBase* first, int n, CModBase* module) {
    CModBase* at = ModuleAt(first, n);
    if (!at) {
        AppendModule(first, module);
        return first ? first : module;
    }
    module->m_prev = at->m_prev;
    module->m_next = at;
    if (at->m_prev) at->m_prev->m_next = module;
    at->m_prev = module;
    return at == first ? module : first;
}

CModBase* CModBase::ReplaceModuleAt(CModBase* first, int n, CModBase* module) {
    CModBase* at = ModuleAt(first, n);
    if (!at) {
        AppendModule(first, module);
        return first ? first : module;
    }
    module->m_prev = at->m_prev;
    module->m_next = at->m_next;
    if (at->m_prev) at->m_prev->m_next = module;
    if (at->m_next) at->m_next->m_prev = module;
    at->m_prev = nullptr;
    at->m_next = nullptr;
    return at == first ? module : first;
}

CModBase* CModBase::RemoveModuleAt(CModBase* first, int n) {
    CModBase* at = ModuleAt(first, n);
    if (!at) return first;
    CModBase* successor = at->m_next;
    if (at->m_prev) at->m_prev->m_next = at->m_next;
    if (at->m_next) at->m_next->m_prev = at->m_prev;
    at->m_prev = nullptr;
    at->m_next = nullptr;
    return at == first ? successor : first;
}

}  // namespace tavrel
