#include "document/KaisekiDoc.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "document/DataFileReader.h"
#include "document/DataSettings.h"
#include "platform/Archive.h"
#include "platform/AtomicFile.h"
#include "platform/Host.h"
#include "platform/Translate.h"

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
    m_rowsLeftOut = false;
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

bool CKaisekiDoc::ReadDocumentFile(const std::string& path, std::string* reason, bool* hadChains) {
    std::string bytes;
    std::string why = ReadDocumentFileBytes(path, bytes);
    if (!why.empty()) {
        DeleteContents();
        if (reason) *reason = why;
        OnNewDocument();
        return false;
    }
    if (!ReadDocumentBytes(bytes, reason, hadChains)) return false;
    m_pathName = path;
    return true;
}

bool CKaisekiDoc::ReadDocumentBytes(std::string_view bytes, std::string* reason, bool* hadChains) {
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
        if (reason) *reason = why;
        OnNewDocument();
        return false;
    }
    m_modified = false;
    if (hadChains) *hadChains = !m_chains.empty();
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
    return true;
}

bool CKaisekiDoc::OnOpenDocument(const std::string& path) {
    bool hadChains = false;
    if (!ReadDocumentFile(path, nullptr, &hadChains)) {
        GetHost().MessageBox(Translate("Document", "ドキュメントを開くことができません。") + "\n" +
                             path);
        return false;
    }
    // Only a file that held chains reads its data file.
    if (hadChains) {
        // A recording brings its own rate and unit.
        ApplyRecordingSettings(*this);
        LoadDataFile();
        UpdateAllViews();
    }
    return true;
}

bool CKaisekiDoc::OnSaveDocument(const std::string& path) {
    // Written beside the old file and put in its place only when complete: a failure leaves the
    // old document as it was.
    if (!WriteFileAtomically(path, SaveToBytes())) {
        GetHost().MessageBox(Translate("Document", "ドキュメントを保存できません。") + "\n" + path);
        return false;
    }
    m_pathName = path;
    m_modified = false;
    return true;
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
    if (channel < 0 || static_cast<std::size_t>(channel) >= m_channelSource.size()) return;
    if (m_channelSource[static_cast<std::size_t>(channel)] >= kChannels) return;
    if (CHeadFilter* head = Head(channel)) head->ChainGetData(values, label, times);
}

void CKaisekiDoc::GetPrintScale(int out[2]) const {
    out[0] = m_printing ? m_printScaleX : 1;
    out[1] = m_printing ? m_printScaleY : 1;
}

void CKaisekiDoc::DrawChannel(Surface* surface, const Rect& band, int channel, double* maximum,
                              const SampleRange* range) {
    CHeadFilter* head = Head(channel);
    if (!head) return;
    int scale[2];
    GetPrintScale(scale);
    if (maximum) {
        head->ChainDraw(surface, {band.left + 70, band.top, band.right, band.bottom}, maximum,
                        nullptr);
        return;
    }
    surface->FrameRect(band, {0, 0, 0});
    surface->TextOut(band.left + 10 * scale[0], band.top + 10 * scale[1],
                     "CH[" + std::to_string(channel + 1) + "]");
    head->ChainDraw(surface, {band.left + 70 * scale[0], band.top, band.right, band.bottom},
                    nullptr, range);
}

void CKaisekiDoc::MeasureCommonMax(Surface* surface, const Rect& band) {
    if (!m_absoluteScale) return;
    double largest = 0.0;
    for (int k = 0; k < kChannels; ++k) {
        double value = 0.0;
        DrawChannel(surface, band, k, &value, nullptr);
        if (value > largest) largest = value;
    }
    m_commonMax = largest;
}

void CKaisekiDoc::ChannelPixelsToRange(int channel, int, const Rect& plot, const Rect& selection,
                                       int out[2]) {
    CHeadFilter* head = Head(channel);
    if (!head) return;
    int scale[2];
    GetPrintScale(scale);
    Rect moved = plot;
    moved.left += 70 * scale[0];
    head->ChainPixelsToRange(nullptr, moved, selection, out);
}

void CKaisekiDoc::ApplyZoomToViews() {
    for (DocView* view : m_views) {
        if (view->IsGraphView()) view->SetZoom(m_zoomX, m_zoomY);
    }
    UpdateAllViews();
}

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
