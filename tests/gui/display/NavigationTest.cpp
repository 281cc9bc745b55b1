// Navigating and measuring in the graph view and the magnifier: Ctrl+wheel zoom about the pointer,
// the readout and the cursor figures against the core's readings, set-up undo and redo through the
// edit commands, the two view options, and Copy.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <functional>

#include "document/CursorMeasure.h"
#include "gui/display/DisplayTestSupport.h"
#include "gui/display/GraphPrinting.h"
#include "gui/display/GraphReadout.h"
#include "gui/display/KaisekiView.h"
#include "gui/display/MagView.h"
#include "gui/display/MagWnd.h"
#include "gui/display/MainFrame.h"
#include "gui/display/MeasureWnd.h"
#include "gui/display/SetupHistory.h"
#include "gui/display/ViewState.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/pipeline/ChProcDlg.h"
#include "gui/platform/DialogLayout.h"
#include "modules/filters/SmothFilter.h"
#include "pipeline/ChainEdit.h"
#include "pipeline/ModuleRegistry.h"
#include "platform/RecordingSurface.h"
#include "support/ScriptedHost.h"

namespace tavrel::qt {
namespace {

class NavigationTest : public ::testing::Test {
  protected:
    NavigationTest() {
        doc.OnNewDocument();
        display_test::FillSines(doc, 4000);
        frame = std::make_unique<CMainFrame>(&doc);
        frame->resize(820, 700);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        view = frame->GetActiveView();
        view->repaint();
    }
    ~NavigationTest() override {
        frame->State()->SetFitWidth(false);
        frame->State()->SetHideEmpty(false);
    }
    void Wheel(QWidget* target, QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
    // The core's reading at a client point of the view.
    std::optional<GraphPoint> Reading(QPoint client) {
        const QPoint area = client + view->ScrollPosition();
        const int channel = view->ChannelAt(area.y());
        return ReadGraphPoint(doc, channel, view->BandRect(channel), area.x());
    }

    tavrel::test::ScriptedHost host;
    CKaisekiDoc doc;
    std::unique_ptr<CMainFrame> frame;
    CKaisekiView* view = nullptr;
};

TEST_F(NavigationTest, CtrlWheelZoomsTimeAboutThePointerAndShiftWheelScrollsTime) {
    const QPoint at(400, 100);
    const double before = Reading(at)->timeMs;
    // At x1 one pixel spans 4000 / 620 samples of 0.5 ms.
    const double pixelMs = 4000.0 / 620 * 0.5;
    for (int expected : {2, 4, 10}) {
        Wheel(view->viewport(), at, 120, Qt::ControlModifier);
        EXPECT_EQ(doc.m_display.m_zoomX, expected);
        EXPECT_EQ(view->TotalWidth(), 770 * expected);
        view->repaint();
        EXPECT_NEAR(Reading(at)->timeMs, before, pixelMs);
    }
    EXPECT_TRUE(frame->Action(32785)->isChecked());
    Wheel(view->viewport(), at, -120, Qt::ControlModifier);
    EXPECT_EQ(doc.m_display.m_zoomX, 4);
    Wheel(view->viewport(), at, 120, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc.m_display.m_zoomY, 2);
    const int x = view->ScrollPosition().x();
    Wheel(view->viewport(), at, -120, Qt::ShiftModifier);
    EXPECT_GT(view->ScrollPosition().x(), x);
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(view->ScrollPosition().x(), 0);
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->ScrollPosition().x(), view->horizontalScrollBar()->maximum());
}

TEST_F(NavigationTest, ReadoutAndCursorFiguresAreTheCoresReadings) {
    const QPoint at(300, 200);  // band of CH2
    QTest::mouseMove(view->viewport(), at);
    const auto point = Reading(at);
    ASSERT_TRUE(point.has_value());
    EXPECT_EQ(point->channel, 1);
    EXPECT_EQ(frame->ReadoutPane()->text(), ReadoutText(*point));
    EXPECT_TRUE(frame->ReadoutPane()->text().startsWith("CH2  時間 "));

    ASSERT_TRUE(view->PlaceCursor(ViewState::A, {200, 200}));
    ASSERT_TRUE(view->PlaceCursor(ViewState::B, {500, 200}));
    const ViewCursor& a = frame->State()->Cursor(ViewState::A);
    const ViewCursor& b = frame->State()->Cursor(ViewState::B);
    EXPECT_DOUBLE_EQ(a.ms, Reading({200, 200})->timeMs);
    QTest::mouseMove(view->viewport(), {250, 40});  // over CH1
    const auto stats = MeasureBetweenCursors(doc, 0, a.ms, b.ms);
    ASSERT_TRUE(stats.has_value());
    EXPECT_GT(stats->count, 1000);
    EXPECT_EQ(frame->CursorPane()->text(), CursorFiguresText(0, *stats));
    // Both lines are drawn over the graphs, and go with "カーソルを消す".
    const QImage shown = view->viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(*TimeToBandX(doc, 1, view->BandRect(1), a.ms), 1),
              QColor(0, 0, 224));
    // Printed only when chosen: then a column of the cursor's colour in each band.
    EXPECT_FALSE(view->PrintOverlay());
    view->SetPrintCursors(true);
    RecordingSurface page;
    PrintPage(doc, page, 1, 6, &view->ShownChannels(), view->PrintOverlay());
    int columns = 0;
    for (const auto& call : page.CallsOf(RecordingSurface::Call::Kind::Fill))
        columns += call.color == Color{0, 0, 224} && call.rect.right - call.rect.left == 4;
    EXPECT_EQ(columns, 6);
    frame->State()->ClearCursors();
    EXPECT_TRUE(frame->CursorPane()->isHidden());
    EXPECT_FALSE(view->PrintOverlay());
}

TEST_F(NavigationTest, UndoAndRedoGiveBackTheSetUpOfEveryStep) {
    const auto& catalogue = CChProcDlg::CatalogueClasses();
    const int smooth = static_cast<int>(
        std::find_if(catalogue.begin(), catalogue.end(),
                     [](const char* name) { return std::string(name) == "CSmothFilter"; }) -
        catalogue.begin());
    ChainEdit edit(doc.Head(0), catalogue);
    std::vector<std::string> states{doc.SaveToBytes()};
    auto step = [&](const char* name, const std::function<void()>& change) {
        SetupStep scope(&doc, QString::fromUtf8(name));
        change();
        doc.SetModifiedFlag();
    };
    // The processing-settings dialog records its own steps.
    CProcSetDlg dialog(&doc, frame.get());
    auto check = [&](int channel) {
        dialog.findChild<QCheckBox*>(QString::number(CProcSetDlg::CheckId(channel + 1)))->click();
    };
    for (int i = 0; i < 3; ++i) {
        step("add", [&] { edit.Add(i == 0 ? smooth : i, -1); });
        states.push_back(doc.SaveToBytes());
        check(i + 1);
        states.push_back(doc.SaveToBytes());
    }
    step("settings",
         [&] { static_cast<CSmothFilter*>(CModBase::ModuleAt(doc.Head(0), 1))->m_points = 9; });
    states.push_back(doc.SaveToBytes());
    doc.SetModifiedFlag(false);  // saved here
    const std::size_t saved = states.size() - 1;
    step("delete", [&] { edit.Delete(1); });
    states.push_back(doc.SaveToBytes());
    step("insert", [&] { edit.Insert(2, 0); });
    states.push_back(doc.SaveToBytes());
    check(1);  // disabled: gets a copy of CH1's list
    states.push_back(doc.SaveToBytes());
    ASSERT_EQ(states.size(), 11u);
    for (std::size_t i = 1; i < states.size(); ++i)
        ASSERT_NE(states[i], states[i - 1]) << "step " << i << " changed nothing";

    QAction* undo = frame->Action(57643);
    QAction* redo = frame->Action(57644);
    frame->UpdateCommandUI();
    EXPECT_EQ(undo->statusTip(), "元に戻す: CH2 の処理リストのコピー");
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(undo->isEnabled());
        undo->trigger();
        EXPECT_EQ(doc.SaveToBytes(), states[i - 1]) << "undo to step " << i - 1;
        EXPECT_EQ(doc.IsModified(), i - 1 != saved);
    }
    EXPECT_FALSE(undo->isEnabled());
    for (std::size_t i = 1; i < states.size(); ++i) {
        redo->trigger();
        EXPECT_EQ(doc.SaveToBytes(), states[i]) << "redo to step " << i;
    }
    EXPECT_FALSE(redo->isEnabled());
    // The data stay; the graphs are computed from the restored set-up.
    EXPECT_EQ(doc.m_rowCount, 4000);
    frame->InitialUpdateFrame();
    EXPECT_FALSE(undo->isEnabled());
}

TEST_F(NavigationTest, EditsInTheOpenEditorAreStepsOfTheirOwnAndCancelLeavesNone) {
    struct EditorInstalled {
        EditorInstalled() { CProcSetDlg::SetChainEditor(RunChainEditor); }
        ~EditorInstalled() { CProcSetDlg::SetChainEditor({}); }
    } installed;
    CProcSetDlg dialog(&doc, frame.get());
    dialog.findChild<QCheckBox*>(QString::number(CProcSetDlg::CheckId(3)))->click();  // CH3 own
    doc.SetModifiedFlag(false);
    std::vector<std::string> states{doc.SaveToBytes()};
    // Runs the editor of CH1 and `drive` in it while it is open.
    auto inEditor = [&](const std::function<void(CChProcDlg&)>& drive) {
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<CChProcDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            // The offscreen platform leaves the main window active; a window manager would make
            // the modal editor the active window.
            QApplication::setActiveWindow(editor);
            drive(*editor);
            if (editor->isVisible()) editor->reject();
            QApplication::setActiveWindow(frame.get());
        });
        dialog.findChild<QPushButton*>(QString::number(CProcSetDlg::SettingsId(1)))->click();
    };
    auto list = [](CChProcDlg& e) { return Control<QListWidget>(&e, 1036); };
    auto classes = [](CModBase* head) {
        std::vector<std::string> names;
        for (CModBase* m = head->m_next; m; m = m->m_next)
            names.push_back(m->GetClassName());
        return names;
    };
    auto add = [&](CChProcDlg& e, int item, int button) {
        auto* menu = Control<QComboBox>(&e, 1035);
        menu->setCurrentIndex(item);
        emit menu->activated(item);
        Control<QPushButton>(&e, button)->click();
        states.push_back(doc.SaveToBytes());
    };
    auto key = [](CChProcDlg& e, Qt::KeyboardModifiers modifiers, Qt::Key k) {
        QTest::keyClick(&e, k, modifiers);
        // A key taken as a shortcut leaves its modifiers pressed for the application; a plain
        // key lets go of them.
        QTest::keyClick(&e, Qt::Key_F13);
    };
    inEditor([&](CChProcDlg& e) {
        add(e, 0, 1001);
        add(e, 1, 1001);
        add(e, 2, 1002);
        list(e)->setCurrentRow(0);
        Control<QPushButton>(&e, 1003)->click();
        states.push_back(doc.SaveToBytes());
        ASSERT_EQ(states.size(), 5u);
        for (std::size_t i = 1; i < states.size(); ++i)
            ASSERT_NE(states[i], states[i - 1]) << "edit " << i << " changed nothing";
        // The channels that follow CH1 (CH2) have its list; CH3 keeps its own.
        EXPECT_EQ(classes(doc.Head(1)), classes(doc.Head(0)));
        EXPECT_TRUE(classes(doc.Head(2)).empty());
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            key(e, Qt::ControlModifier, Qt::Key_Z);
            EXPECT_EQ(doc.SaveToBytes(), states[i - 1]) << "undo to edit " << i - 1;
            EXPECT_EQ(list(e)->count(), static_cast<int>(classes(doc.Head(0)).size()));
        }
        EXPECT_FALSE(doc.IsModified());
        key(e, Qt::ControlModifier, Qt::Key_Z);  // nothing before the editor opened to take back
        EXPECT_EQ(doc.SaveToBytes(), states[0]);
        key(e, Qt::ControlModifier, Qt::Key_Y);
        key(e, Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
        EXPECT_EQ(doc.SaveToBytes(), states[2]);
        EXPECT_EQ(list(e)->count(), 2);
        e.accept();
    });
    EXPECT_EQ(doc.SaveToBytes(), states[2]);
    EXPECT_TRUE(doc.IsModified());
    QAction* undo = frame->Action(57643);
    frame->UpdateCommandUI();
    EXPECT_EQ(undo->statusTip(),
              "元に戻す: " +
                  QString::fromStdString(ShownModuleName(*CModBase::ModuleAt(doc.Head(0), 2))) +
                  "の追加");
    undo->trigger();
    EXPECT_EQ(doc.SaveToBytes(), states[1]);

    // Cancelled after an edit: the set-up is as before and no step is left, to redo either.
    inEditor([&](CChProcDlg& e) {
        e.askDiscard = [] { return true; };
        add(e, 3, 1001);
        EXPECT_NE(doc.SaveToBytes(), states[1]);
    });
    EXPECT_EQ(doc.SaveToBytes(), states[1]);
    EXPECT_TRUE(doc.IsModified());
    frame->UpdateCommandUI();
    EXPECT_FALSE(frame->Action(57644)->isEnabled());
    undo->trigger();
    EXPECT_EQ(doc.SaveToBytes(), states[0]);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(undo->statusTip(), "元に戻す: CH3 の処理リストのコピー");
}

TEST_F(NavigationTest, ViewOptionsFollowTheWindowAndLeaveOutEmptyChannels) {
    frame->Action(32801)->trigger();
    EXPECT_TRUE(frame->Action(32801)->isChecked());
    frame->resize(1200, 700);
    QTest::qWait(20);
    EXPECT_EQ(view->TotalWidth(), view->viewport()->width());
    EXPECT_GT(view->TotalWidth(), 770);
    frame->Action(32801)->trigger();
    EXPECT_EQ(view->TotalWidth(), 770);

    for (int k = 8; k < CKaisekiDoc::kChannels; ++k)
        doc.m_channelSource[static_cast<std::size_t>(k)] = CKaisekiDoc::kNoSource;
    frame->Action(32802)->trigger();
    EXPECT_EQ(view->ShownChannels().size(), 8u);
    EXPECT_EQ(view->TotalHeight(), 8 * 160);
    EXPECT_EQ(view->PageCount(), 2);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("graphs.pdf");
    ASSERT_TRUE(frame->ExportImageTo(pdf));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(display_test::PdfPageCount(file.readAll().toStdString()), 2u);
    doc.m_channelSource[12] = 1;
    doc.UpdateAllViews();
    EXPECT_EQ(view->ShownChannels().back(), 12);
    EXPECT_EQ(view->ChannelAt(8 * 160 + 5), 12);
}

TEST_F(NavigationTest, CopyPutsTheVisibleBandsOrTheSelectedResultRowsOnTheClipboard) {
    QApplication::clipboard()->clear();
    ASSERT_TRUE(frame->Action(57634)->isEnabled());
    frame->Action(57634)->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data && data->hasFormat("image/png") && data->hasFormat("image/svg+xml"));
    const QImage picture = QImage::fromData(data->data("image/png"), "PNG");
    const int bands = (view->viewport()->height() + 159) / 160;
    EXPECT_EQ(picture.size(), QSize(770, bands * 160));

    frame->OnMeasurements();
    auto* results = qobject_cast<CMeasureWnd*>(frame->MeasureWnd());
    results->Table()->selectRow(2);
    results->CopySelection();
    const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("CH\t"));
    EXPECT_TRUE(lines[1].startsWith("3\t"));
}

TEST_F(NavigationTest, MagnifierZoomsAboutThePointerDownToSingleSamplesAndPans) {
    frame->ShowMagnifier(0, nullptr);
    CMagView* mag = frame->Magnifier()->View();
    mag->repaint();
    const QPoint at(300, 50);
    const int sample = mag->PointAt(at)->sample;
    for (int i = 0; i < 14; ++i) {
        Wheel(mag, at, 120, Qt::ControlModifier);
        mag->repaint();
    }
    EXPECT_EQ(mag->m_lastSample - mag->m_firstSample, 2);
    EXPECT_NEAR(mag->PointAt(at)->sample, sample, 1);
    Wheel(mag, at, -120, Qt::ControlModifier);
    EXPECT_EQ(mag->m_lastSample - mag->m_firstSample, 4);
    const int first = mag->m_firstSample;
    Wheel(mag, at, -120, Qt::NoModifier);
    EXPECT_EQ(mag->m_firstSample, first + 1);
    QTest::mousePress(mag, Qt::MiddleButton, {}, at);
    QTest::mouseMove(mag, at + QPoint(-200, 0));
    QTest::mouseRelease(mag, Qt::MiddleButton, {}, at + QPoint(-200, 0));
    EXPECT_GT(mag->m_firstSample, first + 1);
}

}  // namespace
}  // namespace tavrel::qt
