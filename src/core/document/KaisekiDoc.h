// CKaisekiDoc: the one document of the program. It holds the sixteen channels (enabled flag,
// source column, processing chain), the source data read from the data file, the data file's
// path with its two reading settings, and the display state that all views share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

using HeadPtr = std::unique_ptr<CHeadFilter, ChainDeleter>;

// How a reading of the data file ended.
enum class DataLoadResult {
    NoPath,       // no data file is named; nothing was done
    Loaded,       // the file was read (possibly no rows)
    Cancelled,    // the user cancelled; the rows read so far were kept
    CannotOpen,   // the file could not be opened; the user was told and nothing changed
    OutOfMemory,  // the memory ran out; the user was told and the rows read so far were kept
};

// The largest document file the program reads; its documents are a few kilobytes.
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{64} << 20;

// Reads the bytes of a document file to its end into `bytes`: regular files and pipes (a document
// handed over by another program). Returns the reason of a refusal - the system's text when the
// file cannot be opened or read or is a folder, "too large for a document (more than 64 MiB)" past
// kMaxDocumentBytes (so a device that never ends, such as /dev/zero, cannot fill the memory) - or
// an empty text when the bytes were read.
std::string ReadDocumentFileBytes(const std::string& path, std::string& bytes);

// The file that LoadDataFile reads for the data-file path `dataPath` of a document stored at
// `documentPath`: the path as named, or, for a relative one that does not open as it is, the path
// relative to the document's folder. Empty when neither names a regular file.
std::string DataFileForReading(const std::string& dataPath, const std::string& documentPath);

class CKaisekiDoc {
  public:
    static constexpr int kChannels = 16;
    static constexpr int kNoSource = 255;
    // The row cap of the program's data-file reader.
    static constexpr int kMaxRows = 8192;

    CKaisekiDoc();
    ~CKaisekiDoc();
    CKaisekiDoc(const CKaisekiDoc&) = delete;
    CKaisekiDoc& operator=(const CKaisekiDoc&) = delete;

    // Framework operations.
    bool OnNewDocument();
    // Loads the document file and reads its data file. On a file that cannot be read the user is
    // told, the document is set up anew and false is returned.
    bool OnOpenDocument(const std::string& path);
    // Loads the set-up stored in a document file without reading its data file and without
    // telling the user anything: the lists brought to sixteen entries (a file without chains gets
    // the set-up of a new document), sixteen empty source columns. On failure `reason` says why
    // (ReadDocumentFileBytes, or "not a valid document (...)", or "not enough memory"), the
    // document is set up anew and false is returned. `hadChains` reports whether the file held
    // chains (only then does opening read the data file). The GUI and the command-line tool both
    // open documents through it.
    bool ReadDocumentFile(const std::string& path, std::string* reason = nullptr,
                          bool* hadChains = nullptr);
    // The same over the bytes of a document file (the path name is left as it is).
    bool ReadDocumentBytes(std::string_view bytes, std::string* reason = nullptr,
                           bool* hadChains = nullptr);
    // Writes the document file; on failure the user is told and the document stays modified.
    bool OnSaveDocument(const std::string& path);
    void DeleteContents();
    void Serialize(Archive& ar);

    // The document file's bytes, and loading from bytes (throws ArchiveError on malformed input;
    // the caller then discards the contents).
    std::string SaveToBytes();
    void LoadFromBytes(std::string_view bytes);

    // Reads the data file named by m_dataFilePath into the source columns, keeping at most
    // `maxRows` rows (0 = no cap); without an argument, at most m_rowLimit rows.
    void LoadDataFile() { TryLoadDataFile(m_rowLimit); }
    void LoadDataFile(int maxRows) { TryLoadDataFile(maxRows); }
    // Before a reading: sixteen source columns without values (their capacity kept), no rows, and
    // every chain's computed buffers released.
    void ClearSourceData();
    // The same, telling the caller how it ended (the command-line tool fails on CannotOpen). EDF
    // and BDF recordings are read through EDFlib; why EDFlib refused one goes to `reason`.
    DataLoadResult TryLoadDataFile() { return TryLoadDataFile(m_rowLimit); }
    DataLoadResult TryLoadDataFile(int maxRows, std::string* reason = nullptr);
    // The "save processed data" command: asks the host for the file and the settings, then writes.
    void ExportProcessedData();
    void GetChannelData(std::vector<double>* values, std::string* label, std::vector<double>* times,
                        int channel);
    void DrawChannel(Surface* surface, const Rect& band, int channel, double* maximum,
                     const SampleRange* range);
    // Absolute scaling's measuring pass: every channel's largest absolute value over a plot in
    // `band` (DrawChannel with a maximum, drawing nothing), the largest of them stored as
    // m_commonMax. Nothing is done in relative scaling. The view measures before each paint,
    // printing before its pages, the command-line tool before its picture.
    void MeasureCommonMax(Surface* surface, const Rect& band);
    void ChannelPixelsToRange(int channel, int ignored, const Rect& plot, const Rect& selection,
                              int out[2]);
    void GetPrintScale(int out[2]) const;
    void ApplyZoomToViews();

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
    int m_printing = 0;
    int m_printScaleX = 4;
    int m_printScaleY = 4;
    int m_zoomY = 1;
    int m_zoomX = 1;
    double m_commonMax = 10.0;
    int m_absoluteScale = 0;
    int m_probeDisplay = 0;
    int m_skipColumns = 0;
    int m_headerRows = 0;
    int m_rowCount = 0;
    std::vector<std::vector<double>> m_columns;
    std::string m_dataFilePath;
    std::vector<std::uint8_t> m_channelEnabled;
    std::vector<HeadPtr> m_chains;

    // Not part of the document file: the row cap the program reads data files with (a setting of
    // the user, 0 = no cap), and whether the last reading stopped at the cap with rows left out.
    int m_rowLimit = kMaxRows;
    bool m_rowsLeftOut = false;

  private:
    void SetUpChannels();
    // Brings lists of other lengths read from a file to 16 entries.
    void NormaliseChannelLists();

    std::vector<DocView*> m_views;
    std::string m_pathName;
    bool m_modified = false;
};

}  // namespace tavrel
