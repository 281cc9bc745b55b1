// Shared set-up of the display tests: a document with sixteen channels of synthetic data, and a
// view of the document that counts its updates.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "document/KaisekiDoc.h"
#include "platform/RecordingSurface.h"

namespace tavrel::qt::display_test {

// Fills every source column with `rows` samples of a sine whose amplitude grows with the channel
// (channel k peaks at k + 1), so relative and absolute display differ.
inline void FillSines(CKaisekiDoc& doc, int rows) {
    for (int k = 0; k < CKaisekiDoc::kChannels; ++k) {
        std::vector<double>& column = doc.m_columns[static_cast<std::size_t>(k)];
        column.resize(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i)
            column[static_cast<std::size_t>(i)] = (k + 1) * std::sin(i * (k + 1) * 0.01);
    }
    doc.m_rowCount = rows;
}

// The band labels ("CH[n]") among the texts drawn, in order.
inline std::vector<std::string> ChannelLabels(const RecordingSurface& surface) {
    std::vector<std::string> labels;
    for (const std::string& text : surface.Texts())
        if (text.rfind("CH[", 0) == 0) labels.push_back(text);
    return labels;
}

// The pages of a PDF file's bytes (its "/Type /Page" objects, not the "/Type /Pages" tree).
inline std::size_t PdfPageCount(const std::string& pdf) {
    std::size_t pages = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1)) {
        if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
    }
    return pages;
}

// Counts the document's requests to redraw.
class CountingView : public DocView {
  public:
    explicit CountingView(CKaisekiDoc& doc) : m_doc(doc) { m_doc.AddView(this); }
    ~CountingView() override { m_doc.RemoveView(this); }
    void OnUpdate() override { ++updates; }
    int updates = 0;

  private:
    CKaisekiDoc& m_doc;
};

}  // namespace tavrel::qt::display_test
