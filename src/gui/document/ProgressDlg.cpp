#include "gui/document/ProgressDlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <limits>

#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"

namespace tavrel::qt {

CProgressDlg::CProgressDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(Tr("ProgressDlg", "処理中"));
    // Shown without blocking, yet the only window that takes input while it is up.
    setWindowModality(Qt::ApplicationModal);
    DialogUnits du;
    SizeDialog(this, du, 219, 99);

    AddControl<QLabel>(this, du, 0, 20, 15, 179, 8, Tr("ProgressDlg", "処理しています..."));
    m_bar = AddControl<QProgressBar>(this, du, kProgressBar, 20, 36, 179, 14);
    m_bar->setTextVisible(false);
    // A bar whose minimum equals its maximum shows an endless busy animation; this one always
    // has a range and stays empty until it advances.
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    auto* cancel = AddControl<QPushButton>(this, du, 2, 84, 67, 50, 14, Tr("ProgressDlg", "ｷｬﾝｾﾙ"));
    connect(cancel, &QPushButton::clicked, this, &CProgressDlg::reject);

    if (parent) {
        QPoint centre = parent->window()->geometry().center();
        move(centre - QPoint(width() / 2, height() / 2));
    }
}

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::SetRange(int low, int high) {
    m_counter.SetRange(low, high);
    // An empty range (an empty file) is a bar that never fills, not a busy one.
    const int top = high > low ? high : (low < std::numeric_limits<int>::max() ? low + 1 : low);
    const int bottom = top > low ? low : low - 1;
    m_bar->setRange(bottom, top);
    m_bar->setValue(bottom);
    if (m_showOnRange) {
        m_showOnRange = false;
        if (!m_counter.IsCancelled()) show();
    }
}

void CProgressDlg::Step(int amount) {
    // Lines counted with two end-of-line bytes can add up to more than the file length.
    if (m_counter.Step(amount)) m_bar->setValue(std::min(m_counter.Position(), m_bar->maximum()));
}

int CProgressDlg::PumpMessages() {
    m_pump.Offer();
    return m_counter.m_cancelled;
}

void CProgressDlg::reject() {
    m_counter.Cancel();
    hide();
}

std::unique_ptr<Progress> CreateProgressWindow(QWidget* parent) {
    // Created hidden: the reader gives it its range, and then it shows.
    auto window = std::make_unique<CProgressDlg>(parent);
    window->ShowOnRange();
    return window;
}

}  // namespace tavrel::qt
