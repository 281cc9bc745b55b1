// CKaisekiDoc: the one document of the program. It holds the sixteen channels (enabled flag,
// source column, processing chain), the source data of the recording read from the data file,
// the data file's path with its two reading settings, and the display state that all views share.
// Its chains reach it only through the narrow ChainContext (their source samples and the display
// state); reading the data file is ReadRecording's (document/Recording.h), whose result the
// document takes whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/Recording.h"
#include "pipeline/ChainContext.h"
#include "pipeline/HeadFilter.h"
#include "platform/Surface.h"

namespace tavrel {

class Archive;

// What the document needs of a view attached to it.
class DocView {
  public:
    virtual ~DocView() = default;
    // The document changed: refresh and repaint.
    virtual void OnUpdate() = 0;
    // Graph views take a new zoom (ApplyZoomToViews); other views ignore it.
    virtual bool IsGraphView() const { return false; }
    virtual void SetZoom(int /*zoomX*/, int /*zoomY*/) {}
};

class Progress;

// The largest document file the program reads; its documents are a few kilobytes.
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{64} << 20;

// Reads the bytes of a document file to its end into `bytes`: regular files and pipes (a document
// handed over by another program). Returns the reason of a refusal - the system's text when the
// file cannot be opened or read or is a folder, "too large for a document (more than 64 MiB)" past
// kMaxDocumentBytes (so a device that never ends, such as /dev/zero, cannot fill the memory) - or
// an empty text when the bytes were read.
std::string ReadDocumentFileBytes(const std::string& path, std::string& bytes);

class CKaisekiDoc : public ChainContext {
  public:
    static constexpr int kChannels = 16;
    static constexpr int kNoSource = 255;
    // The row cap of the program's data-file reader.
    static constexpr int kMaxRows = 8192;

    CKaisekiDoc();
    ~CKaisekiDoc() override;
    CKaisekiDoc(const CKaisekiDoc&) = delete;
    CKaisekiDoc& operator=(const CKaisekiDoc&) = delete;

    // Framework operations.
    bool OnNewDocument();
    // What loading a document file found.
    struct LoadedSetup {
        bool hadChains = false;  // only a file that held chains reads its data file on opening
    };
    // Loads the set-up stored in a document file without reading its data file: the lists brought
    // to sixteen entries (a file without chains gets the set-up of a new document), sixteen empty
    // source columns. On failure the reason (ReadDocumentFileBytes's, "not a valid document
    // (...)" or "not enough memory"), and the document is set up anew. The GUI and the
    // command-line tool both open documents through it.
    Result<LoadedSetup, std::string> ReadDocumentFile(const std::string& path);
    // The same over the bytes of a document file (the path name is left as it is).
    Result<LoadedSetup, std::string> ReadDocumentBytes(std::string_view bytes);
    // Writes the document file; on failure the reason (the system's) is returned, and the document
    // stays modified.
    Result<Done, std::string> SaveDocumentFile(const std::string& path);
    void DeleteContents();
    void Serialize(Archive& ar);

    // The document file's bytes, and loading from bytes (throws ArchiveError on malformed input;
    // the caller then discards the contents).
    std::string SaveToBytes();
    void LoadFromBytes(std::string_view bytes);

    // The source data: a recording read for this document becomes its sixteen source columns (the
    // old ones go, and every chain forgets what it computed), also a cancelled one, which keeps
    // what was read. Whether the row cap left rows out is kept for the notice.
    void SetRecording(Recording&& recording);
    // Whether the source data stop at the row cap with rows of the file left unread.
    bool RowsLeftOut() const { return m_readNotes.rowsLeftOut; }
    // What the reading of the source data found (the notices the front ends show while the
    // document holds those data); nothing for a new document.
    const ReadNotes& LastReading() const { return m_readNotes; }
    // The events of the recording read last (annotations, markers), in the file's order.
    const std::vector<RecordingEvent>& Events() const { return m_events; }
    // What the reader reads for this document: its reading settings, at most `maxRows` rows.
    ReadOptions ReadingOptions(int maxRows) const;
    // Reads the document's data file: ReadRecording of m_dataFilePath (resolved beside the
    // document file) with the document's reading settings and at most `maxRows` rows (0 = all),
    // then SetRecording. With `takeValues` (opening a document) a recording's rate and unit are
    // written into the sixteen heads as the data-settings dialog writes them. A failure leaves
    // the document as it was (also when no data file is named: ReadError::Kind::NotNamed).
    Result<ReadNotes, ReadError> LoadDataFile(int maxRows, Progress* progress,
                                              bool takeValues = false);

    void GetChannelData(std::vector<double>* values, std::string* label, std::vector<double>* times,
                        int channel);
    // GetChannelData handing over the chain's output instead of copying it (see
    // CModBase::ChainTakeData); null for a channel without data.
    SampleBuffer TakeChannelData(std::string* label, int* count, double* timeStep, int channel);
    // The same leaving the output with the chain (CModBase::ChainViewData).
    const double* ViewChannelData(std::string* label, int* count, double* timeStep, int channel);
    // Draws channel `channel` into its band: the frame, the label "CH[n]" and the chain's graph.
    void DrawChannel(Surface* surface, const Rect& band, int channel, const SampleRange* range);
    // The largest absolute value of the channel's chain-end output (0 without one).
    double MeasureChannel(int channel);
    // Absolute scaling's measuring pass: every channel measured, the largest value stored as
    // the common maximum. Nothing is done in relative scaling. The view measures before each
    // paint, printing before its pages, the command-line tool before its picture.
    void MeasureCommonMax();
    void ChannelPixelsToRange(int channel, int ignored, const Rect& plot, const Rect& selection,
                              int out[2]);
    void ApplyZoomToViews();

    // What the chains read of the document.
    std::span<const double> ChannelSource(int channel) const override;
    // The source column channel `channel` reads, or -1 when it reads none.
    int SourceColumn(int channel) const;
    const DisplayState& Display() const override { return m_display; }
    DisplayState& Display() override { return m_display; }

    // Views and notifications.
    void AddView(DocView* view);
    void RemoveView(DocView* view);
    const std::vector<DocView*>& Views() const { return m_views; }
    void UpdateAllViews(DocView* sender = nullptr);
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    bool IsModified() const { return m_modified; }
    const std::string& GetPathName() const { return m_pathName; }
    void SetPathName(std::string path) { m_pathName = std::move(path); }

    CHeadFilter* Head(int channel) const;

    // Fields, in declaration order.
    std::vector<std::uint8_t> m_channelSource;
    // Zoom, scaling, probe display and printing, shared by all views.
    DisplayState m_display;
    int m_skipColumns = 0;
    int m_headerRows = 0;
    int m_rowCount = 0;
    std::vector<std::vector<double>> m_columns;
    std::vector<RecordingEvent> m_events;
    std::string m_dataFilePath;
    std::vector<std::uint8_t> m_channelEnabled;
    std::vector<HeadPtr> m_chains;

    // Not part of the document file: the row cap the program reads data files with (a setting of
    // the user, 0 = no cap).
    int m_rowLimit = kMaxRows;

  private:
    // Sixteen source columns without values and no rows; every chain's buffers released.
    void ClearSourceData();
    void SetUpChannels();
    // Brings lists of other lengths read from a file to 16 entries.
    void NormaliseChannelLists();
    // Channel `channel`'s head when the channel has source data to deliver, else null.
    CHeadFilter* DataHead(int channel);

    std::vector<DocView*> m_views;
    std::string m_pathName;
    bool m_modified = false;
    // What the reading of the source data found.
    ReadNotes m_readNotes;
};

}  // namespace tavrel
