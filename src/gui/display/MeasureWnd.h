// CMeasureWnd: the results window "計測結果", a modeless tool window owned by the main frame. It
// shows the results table of the document (one row per measured channel, the numbers written as
// the processed-data export writes them) and measures again whenever the document updates its
// views. "コピー" puts the table, tab-separated with its header, on the clipboard; "保存..." writes
// the table as CSV, the file column holding the document's data file.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "document/KaisekiDoc.h"

class QTableWidget;

namespace tavrel::qt {

class CMeasureWnd : public QWidget, public DocView {
    Q_OBJECT

  public:
    CMeasureWnd(CKaisekiDoc* doc, QWidget* owner);
    ~CMeasureWnd() override;

    // DocView: measures again while the window is shown.
    void OnUpdate() override;

    // Measures the document and fills the table.
    void Refresh();
    // The table as shown, tab-separated with the header line ("コピー").
    QString TableText() const;
    void CopyToClipboard();
    // The selected rows, tab-separated with the header line ("ｺﾋﾟｰ", Ctrl+C).
    QString SelectedRowsText() const;
    void CopySelection();
    // Writes the CSV table to `path`; false (and the user told) when it cannot be written.
    bool SaveTo(const QString& path);
    // "保存...": asks for the file, then SaveTo.
    void OnSave();

    QTableWidget* Table() const { return m_table; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QString RowsText(bool selectedOnly) const;

    CKaisekiDoc* m_doc;
    QTableWidget* m_table = nullptr;
};

}  // namespace tavrel::qt
