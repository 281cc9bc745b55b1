#include "document/KaisekiDoc.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <new>

#include "document/DataFileReader.h"
#include "document/DataSettings.h"
#include "document/DocumentFile.h"
#include "platform/Archive.h"
#include "platform/AtomicFile.h"
#include "platform/WorkerPool.h"

namespace tavrel {

CKaisekiDoc::CKaisekiDoc() = default;

CKaisekiDoc::~CKaisekiDoc() {
    DeleteContents();
}

CHeadFilter* CKaisekiDoc::Head(int channel) const {
    if (channel < 0 || static_cast<std::size_t>(channel) >= m_chains.size()) return nullptr;
    return m_chains[static_cast<std::size_t>(channel)].get();
}

void CKaisekiDoc::SetUpChannels() {
    for (int i = 0; i < kChannels; ++i) {
        m_channelEnabled.push_back(0);
        HeadPtr head(new CHeadFilter);
        head->m_doc = this;
        head->m_channel = i;
        m_chains.push_back(std::move(head));
        m_columns.emplace_back();
        m_channelSource.push_back(static_cast<std::uint8_t>(i));
    }
    m_channelEnabled[0] = 1;
    m_rowCount = 0;
}

bool CKaisekiDoc::OnNewDocument() {
    DeleteContents();
    m_pathName.clear();
    m_modified = false;
    SetUpChannels();
    return true;
}

void CKaisekiDoc::DeleteContents() {
    m_channelEnabled.clear();
    m_channelSource.clear();
    // Each chain is deleted from its head (the deleter walks it without recursion).
    while (!m_chains.empty())
        m_chains.pop_back();
    for (std::vector<double>& column : m_columns)
        KeepColumnStorage(column);
    m_columns.clear();
    m_dataFilePath.clear();
    m_readNotes = {};
}

void CKaisekiDoc::NormaliseChannelLists() {
    auto fit = [](std::vector<std::uint8_t>& list, auto defaultFor) {
        if (list.size() > kChannels) list.resize(kChannels);
        for (std::size_t i = list.size(); i < kChannels; ++i)
            list.push_back(defaultFor(static_cast<int>(i)));
    };
    fit(m_channelEnabled, [](int i) { return static_cast<std::uint8_t>(i == 0 ? 1 : 0); });
    fit(m_channelSource, [](int i) { return static_cast<std::uint8_t>(i); });
    while (m_chains.size() > kChannels)
        m_chains.pop_back();
    for (std::size_t i = m_chains.size(); i < kChannels; ++i) {
        HeadPtr head(new CHeadFilter);
        head->m_doc = this;
        head->m_channel = static_cast<int>(i);
        m_chains.push_back(std::move(head));
    }
}

Result<CKaisekiDoc::LoadedSetup, std::string> CKaisekiDoc::ReadDocumentFile(
    const std::string& path) {
    std::string bytes;
    if (std::string why = ReadDocumentFileBytes(path, bytes); !why.empty()) {
        OnNewDocument();
        return Failure(why);
    }
    auto loaded = ReadDocumentBytes(bytes);
    if (loaded) m_pathName = path;
    return loaded;
}

Result<CKaisekiDoc::LoadedSetup, std::string> CKaisekiDoc::ReadDocumentBytes(
    std::string_view bytes) {
    std::string why;
    DeleteContents();
    try {
        LoadFromBytes(bytes);
    } catch (const ArchiveError& error) {
        why = std::string("not a valid document (") + error.what() + ")";
    } catch (const std::bad_alloc&) {
        why = "not enough memory";
    }
    if (!why.empty()) {
        OnNewDocument();
        return Failure(why);
    }
    m_modified = false;
    LoadedSetup setup;
    setup.hadChains = !m_chains.empty();
    if (!m_chains.empty()) {
        NormaliseChannelLists();
        m_columns.assign(kChannels, {});
        m_rowCount = 0;
    } else {
        // A document without chains opens as a set-up document.
        m_channelEnabled.clear();
        m_channelSource.clear();
        m_columns.clear();
        SetUpChannels();
    }
    return setup;
}

Result<Done, std::string> CKaisekiDoc::SaveDocumentFile(const std::string& path) {
    // Written beside the old file and put in its place only when complete: a failure leaves the
    // old document as it was.
    if (!WriteFileAtomically(path, SaveToBytes())) return Failure(std::string("cannot be written"));
    m_pathName = path;
    m_modified = false;
    return Done{};
}

void CKaisekiDoc::Serialize(Archive& ar) {
    SerializeDocumentFields(ar, *this);
}

std::string CKaisekiDoc::SaveToBytes() {
    Archive ar;
    Serialize(ar);
    return ar.Bytes();
}

void CKaisekiDoc::LoadFromBytes(std::string_view bytes) {
    Archive ar(bytes);
    try {
        Serialize(ar);
    } catch (...) {
        DeleteContents();
        throw;
    }
}

void CKaisekiDoc::GetChannelData(std::vector<double>* values, std::string* label,
                                 std::vector<double>* times, int channel) {
    if (CHeadFilter* head = DataHead(channel)) head->ChainGetData(values, label, times);
}

CHeadFilter* CKaisekiDoc::DataHead(int channel) {
    if (channel < 0 || static_cast<std::size_t>(channel) >= m_channelSource.size()) return nullptr;
    if (m_channelSource[static_cast<std::size_t>(channel)] >= kChannels) return nullptr;
    return Head(channel);
}

SampleBuffer CKaisekiDoc::TakeChannelData(std::string* label, int* count, double* timeStep,
                                          int channel) {
    *count = 0;
    *timeStep = 0.0;
    CHeadFilter* head = DataHead(channel);
    return head ? head->ChainTakeData(label, count, timeStep) : nullptr;
}

const double* CKaisekiDoc::ViewChannelData(std::string* label, int* count, double* timeStep,
                                           int channel) {
    *count = 0;
    *timeStep = 0.0;
    CHeadFilter* head = DataHead(channel);
    return head ? head->ChainViewData(label, count, timeStep) : nullptr;
}

void CKaisekiDoc::DrawChannel(Surface* surface, const Rect& band, int channel,
                              const SampleRange* range) {
    CHeadFilter* head = Head(channel);
    if (!head) return;
    int scale[2];
    m_display.GetPrintScale(scale);
    surface->FrameRect(band, {0, 0, 0});
    surface->TextOut(band.left + 10 * scale[0], band.top + 10 * scale[1],
                     "CH[" + std::to_string(channel + 1) + "]");
    head->ChainDraw(surface, {band.left + 70 * scale[0], band.top, band.right, band.bottom},
                    m_display, range);
}

double CKaisekiDoc::MeasureChannel(int channel) {
    CHeadFilter* head = Head(channel);
    return head ? head->ChainMeasure() : 0.0;
}

void CKaisekiDoc::MeasureCommonMax() {
    if (!m_display.m_absoluteScale) return;
    // The channels are measured side by side, the largest taken in channel order.
    std::array<double, kChannels> values{};
    ParallelForCollecting(kChannels,
                          [&](int k) { values[static_cast<std::size_t>(k)] = MeasureChannel(k); });
    double largest = 0.0;
    for (const double value : values) {
        if (value > largest) largest = value;
    }
    m_display.m_commonMax = largest;
}

void CKaisekiDoc::ChannelPixelsToRange(int channel, int, const Rect& plot, const Rect& selection,
                                       int out[2]) {
    CHeadFilter* head = Head(channel);
    if (!head) return;
    int scale[2];
    m_display.GetPrintScale(scale);
    Rect moved = plot;
    moved.left += 70 * scale[0];
    head->ChainPixelsToRange(nullptr, moved, selection, out);
}

void CKaisekiDoc::ApplyZoomToViews() {
    for (DocView* view : m_views) {
        if (view->IsGraphView()) view->SetZoom(m_display.m_zoomX, m_display.m_zoomY);
    }
    UpdateAllViews();
}

// ---- source data ---------------------------------------------------------------------------

int CKaisekiDoc::SourceColumn(int channel) const {
    if (channel < 0 || channel >= kChannels ||
        static_cast<std::size_t>(channel) >= m_channelSource.size())
        return -1;
    const std::size_t column = m_channelSource[static_cast<std::size_t>(channel)];
    if (column >= kChannels || column >= m_columns.size()) return -1;
    return static_cast<int>(column);
}

std::span<const double> CKaisekiDoc::ChannelSource(int channel) const {
    const int column = SourceColumn(channel);
    if (m_rowCount <= 0 || column < 0) return {};
    return m_columns[static_cast<std::size_t>(column)];
}

void CKaisekiDoc::ClearSourceData() {
    if (m_columns.size() < kChannels) m_columns.resize(kChannels);
    // The chains forget what they computed; the columns' storage is kept for the next reading.
    for (int i = 0; i < kChannels; ++i) {
        KeepColumnStorage(m_columns[static_cast<std::size_t>(i)]);
        m_columns[static_cast<std::size_t>(i)].clear();
        if (CHeadFilter* head = Head(i)) head->ClearBuffers();
    }
    m_rowCount = 0;
    m_readNotes = {};
    m_events.clear();
}

void CKaisekiDoc::SetRecording(Recording&& recording) {
    ClearSourceData();
    recording.columns.resize(kChannels);
    m_columns = std::move(recording.columns);
    m_events = std::move(recording.events);
    m_rowCount = recording.rowCount;
    m_readNotes = recording.notes;
    m_readNotes.rowsLeftOut = recording.notes.rowsLeftOut && !recording.notes.cancelled;
}

ReadOptions CKaisekiDoc::ReadingOptions(int maxRows) const {
    ReadOptions options;
    options.headerRows = m_headerRows;
    options.skipColumns = m_skipColumns;
    options.maxRows = maxRows;
    return options;
}

Result<ReadNotes, ReadError> CKaisekiDoc::LoadDataFile(int maxRows, Progress* progress,
                                                       bool takeValues) {
    if (m_dataFilePath.empty()) return Failure(ReadError{ReadError::Kind::NotNamed, {}});
    RecordingResult read = ReadRecording(ResolveDataPath(m_dataFilePath, m_pathName),
                                         ReadingOptions(maxRows), progress);
    if (!read) return Failure(read.Error());
    ReadNotes notes = read->notes;
    if (takeValues && notes.values) ApplyRecordingSettings(*this, *notes.values);
    SetRecording(std::move(read.Value()));
    return notes;
}

// ---- views ---------------------------------------------------------------------------------

void CKaisekiDoc::AddView(DocView* view) {
    m_views.push_back(view);
}

void CKaisekiDoc::RemoveView(DocView* view) {
    std::erase(m_views, view);
}

void CKaisekiDoc::UpdateAllViews(DocView* sender) {
    // A view may attach or detach others while updating; walk a copy.
    std::vector<DocView*> views = m_views;
    for (DocView* view : views) {
        if (view != sender) view->OnUpdate();
    }
}

}  // namespace tavrel
