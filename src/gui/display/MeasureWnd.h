// CMeasureWnd: the results window "計測結果", a modeless tool window owned by the main frame. It
// shows the results table of the document (one row per measured channel, the numbers written as
// the processed-data export writes them) and measures again whenever the document updates its
// views. "コピー" puts the table, tab-separated with its header, on the clipboard; "保存..." writes
// the table as CSV, the file column holding the document's data file.
//
// A second tab, "バースト", lists every burst of the measured channels (the burst table) with its
// four settings: the baseline range, the factor of its SD, the shortest burst and the shortest
// gap. While that tab is shown the graph view and the magnifier shade the listed bursts; "コピー"
// and "保存..." then act on the burst table.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "document/BurstTable.h"
#include "document/KaisekiDoc.h"

class QDoubleSpinBox;
class QTabWidget;
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
    QTableWidget* BurstTable() const { return m_burstTable; }
    QTabWidget* Tabs() const { return m_tabs; }
    // Whether the burst tab is the one shown.
    bool ShowsBursts() const;
    // The settings the burst tab's controls hold.
    spectral::BurstSettings BurstSettingsShown() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QString RowsText(bool selectedOnly) const;
    QWidget* MakeBurstPage();
    // Fills the burst table and hands its bursts to the views' shading.
    void RefreshBursts();
    // Turns the views' shading on or off as the burst tab is shown, and repaints them.
    void UpdateShading();
    // The table of the tab shown.
    QTableWidget* ShownTable() const;

    CKaisekiDoc* m_doc;
    QTabWidget* m_tabs = nullptr;
    QTableWidget* m_table = nullptr;
    QTableWidget* m_burstTable = nullptr;
    std::array<QDoubleSpinBox*, 5> m_burstEdits{};
    std::vector<BurstRow> m_bursts;
};

}  // namespace tavrel::qt
