// The processing-settings dialog: its check boxes and "設定" buttons wired to the document's
// chain operations (tested with the core's ChainEdit), "決定" with its data-file dialog (filled
// from a recording's header for EDF and BDF files), the assignment button, and commands held off
// while the data file is read.
#include <edflib.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "document/KaisekiDoc.h"
#include "gui/document/DataFileDlg.h"
#include "gui/document/DataReading.h"
#include "gui/document/ModalHelper.h"
#include "gui/document/ProcSetDlg.h"
#include "gui/platform/DialogLayout.h"
#include "gui/platform/ScriptedFileChooser.h"
#include "pipeline/ModuleRegistry.h"
#include "support/EdfWriter.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

using namespace tavrel;
using qt::Control;
using qt::CProcSetDlg;
using test::OnNextModal;

namespace {

// Counts the document's view updates.
struct CountingView : DocView {
    int updates = 0;
    void OnUpdate() override { ++updates; }
};

// Clicks near the left edge, where check boxes have their indicator.
void Click(QWidget* d, int id) {
    auto* b = Control<QAbstractButton>(d, id);
    ASSERT_NE(b, nullptr) << id;
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

// The display names of a chain after its head.
std::vector<std::string> Modules(const CHeadFilter* head) {
    std::vector<std::string> names;
    for (const CModBase* m = head ? head->m_next : nullptr; m; m = m->m_next)
        names.push_back(m->m_name);
    return names;
}

// An editor that accepts after appending one module named `name` to the working chain.
CProcSetDlg::ChainEditor AppendingEditor(std::string name, int* calls = nullptr) {
    return [name, calls](QWidget*, CHeadFilter* working, int) {
        if (calls) ++*calls;
        auto module = CreateModule("CModBase");
        module->m_name = name;
        CModBase::AppendModule(working, module.release());
        return true;
    };
}

struct Fixture {
    test::ScriptedHost host;
    CKaisekiDoc doc;
    CountingView view;
    std::unique_ptr<CProcSetDlg> dialog;

    Fixture() {
        doc.OnNewDocument();
        doc.AddView(&view);
        dialog = std::make_unique<CProcSetDlg>(&doc);
    }
    ~Fixture() {
        dialog.reset();
        doc.RemoveView(&view);
        CProcSetDlg::SetChainEditor({});
    }
};

}  // namespace

TEST(ProcSetDlg, OpensInLineWithANewDocument) {
    Fixture f;
    auto* box1 = Control<QCheckBox>(f.dialog.get(), 1002);
    ASSERT_NE(box1, nullptr);
    EXPECT_TRUE(box1->isChecked());
    EXPECT_FALSE(box1->isEnabled());
    EXPECT_TRUE(Control(f.dialog.get(), 1003)->isEnabled());
    for (int k = 2; k <= 16; ++k) {
        auto* box = Control<QCheckBox>(f.dialog.get(), 1000 + 2 * k);
        ASSERT_NE(box, nullptr) << k;
        EXPECT_EQ(box->text(), QStringLiteral("CH%1").arg(k));
        EXPECT_TRUE(box->isEnabled());
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(Control(f.dialog.get(), 1001 + 2 * k)->isEnabled());
    }
    EXPECT_EQ(f.dialog->windowTitle(), QStringLiteral("処理設定"));
    // One line under the channel rows says where an unticked channel's chain comes from; it is
    // shown whole, inside the channel group and below the last row's buttons.
    auto* hint = Control<QLabel>(f.dialog.get(), 1101);
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(),
              QStringLiteral("未チェックのCHは上の最も近いチェック付きCHの処理に従います"));
    EXPECT_GE(hint->width(), hint->sizeHint().width());
    EXPECT_GT(hint->y(), Control(f.dialog.get(), 1017)->geometry().bottom());
}

TEST(ProcSetDlg, ChannelBoxesSetTheFlagAndTheSettingsButton) {
    Fixture f;
    Click(f.dialog.get(), 1004);
    EXPECT_TRUE(Control(f.dialog.get(), 1005)->isEnabled());
    EXPECT_EQ(f.doc.m_channelEnabled[1], 1);
    EXPECT_TRUE(f.doc.IsModified());
    Click(f.dialog.get(), 1004);
    EXPECT_FALSE(Control(f.dialog.get(), 1005)->isEnabled());
    EXPECT_EQ(f.doc.m_channelEnabled[1], 0);
    EXPECT_EQ(f.view.updates, 1);  // clearing redraws
}

TEST(ProcSetDlg, SettingsButtonEditsACopyOfItsChannelsChain) {
    Fixture f;
    Click(f.dialog.get(), 1004);  // CH2 enabled
    int calls = 0;
    CHeadFilter* before = f.doc.m_chains[1].get();
    CProcSetDlg::SetChainEditor([&](QWidget* parent, CHeadFilter* working, int channel) {
        EXPECT_EQ(parent, f.dialog.get());
        EXPECT_EQ(channel, 1);
        EXPECT_NE(working, before);  // a copy
        ++calls;
        return AppendingEditor("CH2")(parent, working, channel);
    });
    Click(f.dialog.get(), 1005);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Modules(f.doc.m_chains[1].get()), std::vector<std::string>{"CH2"});
    EXPECT_EQ(Modules(f.doc.m_chains[2].get()), std::vector<std::string>{"CH2"});
    EXPECT_TRUE(Modules(f.doc.m_chains[0].get()).empty());
}

TEST(ProcSetDlg, ApplyCancelledLeavesTypedPathUnapplied) {
    Fixture f;
    f.doc.m_dataFilePath = "/data/old.csv";
    f.dialog->RefreshFromDocument();
    auto* path = Control<QLineEdit>(f.dialog.get(), 1000);
    path->setText("/data/new.csv");
    OnNextModal([](QWidget* w) { Click(w, 2); });
    f.dialog->OnApply();
    EXPECT_EQ(f.doc.m_dataFilePath, "/data/old.csv");
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(path->text(), "/data/new.csv");
    f.doc.UpdateAllViews();
    EXPECT_EQ(path->text(), "/data/old.csv");
}

TEST(ProcSetDlg, ApplyWithEmptyPathStoresSettingsAndReadsNothing) {
    Fixture f;
    f.doc.m_dataFilePath = "/data/old.csv";
    f.dialog->RefreshFromDocument();
    Control<QLineEdit>(f.dialog.get(), 1000)->clear();
    OnNextModal([](QWidget* w) {
        Click(w, 1002);
        Control<QLineEdit>(w, 1000)->setText("2");
        Click(w, 1);
    });
    f.dialog->OnApply();
    EXPECT_EQ(f.doc.m_dataFilePath, "");
    EXPECT_EQ(f.doc.m_headerRows, 2);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.host.progressRanges.size(), 0u);
    EXPECT_EQ(f.view.updates, 1);
}

TEST(ProcSetDlg, ApplyReadsTheFileWithTheNewSettings) {
    Fixture f;
    test::TempDir dir;
    std::string csv = dir.Write("run.csv", "t,a,b\r\n0,1,2\r\n1,3,4\r\n");
    Control<QLineEdit>(f.dialog.get(), 1000)->setText(QString::fromStdString(csv));
    OnNextModal([](QWidget* w) {
        Click(w, 1002);
        Control<QLineEdit>(w, 1000)->setText("1");
        Click(w, 1006);
        Control<QLineEdit>(w, 1038)->setText("1");
        // The data settings: a period of 4 ms in V.
        OnNextModal(
            [](QWidget* set) {
                Click(set, 1040);
                Control<QLineEdit>(set, 1000)->setText("4");
                Click(set, 1041);
                Click(set, 1);
            },
            w);
        Click(w, 1001);
        Click(w, 1);
    });
    f.dialog->OnApply();
    EXPECT_EQ(f.doc.m_dataFilePath, csv);
    EXPECT_EQ(f.doc.m_rowCount, 2);
    EXPECT_EQ(f.doc.m_columns[0], (std::vector<double>{1, 3}));
    EXPECT_EQ(f.doc.m_columns[1], (std::vector<double>{2, 4}));
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(f.doc.m_chains[i]->m_samplingRate, 250) << i;
        EXPECT_EQ(f.doc.m_chains[i]->m_unit, "V") << i;
    }
}

TEST(ProcSetDlg, ApplyOnARecordingFillsTheDataSettingsFromTheFile) {
    Fixture f;
    test::TempDir dir;
    const std::string recording = dir.File("run.bdf");
    ASSERT_TRUE(test::WriteEdf(recording, test::ThreeSines(EDFLIB_FILETYPE_BDFPLUS)));
    Control<QLineEdit>(f.dialog.get(), 1000)->setText(QString::fromStdString(recording));
    qt::CDataFileDlg* seen = nullptr;
    int rate = 0, unitChoice = 0, factor = 0;
    std::string otherUnit;
    QString signalList;
    f.doc.m_skipColumns = 2;  // left from a text file: the recording starts with no skip
    OnNextModal([&](QWidget* w) {
        seen = qobject_cast<qt::CDataFileDlg*>(w);
        ASSERT_NE(seen, nullptr);
        EXPECT_EQ(Control<QLineEdit>(w, qt::CDataFileDlg::kSkipColumnsEdit)->text(), "0");
        auto* label = Control<QLabel>(w, qt::CDataFileDlg::kSignalsLabel);
        if (label->isVisible()) signalList = label->text();
        rate = seen->m_rateValue;
        unitChoice = seen->m_unitChoice;
        otherUnit = seen->m_otherUnit;
        factor = seen->m_factor;
        Click(w, 1);
    });
    f.dialog->OnApply();
    EXPECT_EQ(signalList, "記録の信号: 3 (EMG1, EMG2, EMG3)");
    EXPECT_EQ(f.doc.m_skipColumns, 0);
    EXPECT_EQ(rate, 2000);
    EXPECT_EQ(unitChoice, 2);
    EXPECT_EQ(otherUnit, "uV");
    EXPECT_EQ(factor, 1);
    EXPECT_EQ(f.doc.m_rowCount, 6000);
    EXPECT_EQ(f.doc.m_chains[15]->m_unit, "uV");
    EXPECT_TRUE(f.host.messages.empty());
}

TEST(ProcSetDlg, AssignmentAcceptedMarksModifiedAndRedraws) {
    Fixture f;
    OnNextModal([](QWidget* w) {
        Click(w, 1006);  // CH5 cleared
        Click(w, 1);
    });
    f.dialog->OnAssign();
    EXPECT_EQ(f.doc.m_channelSource[4], 255);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(f.view.updates, 1);

    f.doc.SetModifiedFlag(false);
    OnNextModal([](QWidget* w) { Click(w, 2); });
    f.dialog->OnAssign();
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(f.view.updates, 1);
}

namespace {
// A host whose progress lets a test act as the user while the data file is being read.
class ReentrantHost : public test::ScriptedHost {
  public:
    std::function<void()> duringRead;
    std::unique_ptr<Progress> CreateProgress() override {
        struct P : Progress {
            ReentrantHost& host;
            explicit P(ReentrantHost& h) : host(h) {}
            void SetRange(int, int) override {}
            void Step(int) override {}
            int PumpMessages() override {
                if (auto action = std::exchange(host.duringRead, nullptr)) action();
                return 0;
            }
        };
        return std::make_unique<P>(*this);
    }
};
}  // namespace

TEST(ProcSetDlg, CommandsAreHeldOffWhileTheDataFileIsRead) {
    ReentrantHost host;
    CKaisekiDoc doc;
    doc.OnNewDocument();
    CProcSetDlg dialog(&doc);
    CProcSetDlg::SetChainEditor(AppendingEditor("X"));
    test::TempDir dir;
    doc.m_dataFilePath = dir.Write("d.csv", "1\n2\n3\n");
    bool sawReading = false;
    host.duringRead = [&] {
        sawReading = qt::IsReadingData();
        Click(&dialog, 1004);  // CH2 box
        Click(&dialog, 1003);  // CH1 "設定"
        dialog.OnAssign();
    };
    qt::ReadDataFile(doc);
    EXPECT_TRUE(sawReading);
    EXPECT_FALSE(qt::IsReadingData());
    EXPECT_EQ(host.beeps, 3);
    EXPECT_EQ(doc.m_channelEnabled[1], 0);
    EXPECT_FALSE(Control<QCheckBox>(&dialog, 1004)->isChecked());
    EXPECT_EQ(doc.m_chains[0]->m_next, nullptr);
    EXPECT_EQ(doc.m_rowCount, 3);
    CProcSetDlg::SetChainEditor({});
}

TEST(DataReading, RelativeDataPathIsFoundBesideTheDocument) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "set");
    std::string csv = dir.Write("set/データ.csv", "1\n");
    std::string kcd = dir.File("set/a.kcd");
    EXPECT_EQ(ResolveDataPath("データ.csv", kcd), csv);
    // An absolute path, an empty one, and a name found nowhere stay as they are.
    EXPECT_EQ(ResolveDataPath("/nowhere/x.csv", kcd), "/nowhere/x.csv");
    EXPECT_EQ(ResolveDataPath("", kcd), "");
    EXPECT_EQ(ResolveDataPath("missing.csv", kcd), "missing.csv");
    EXPECT_EQ(ResolveDataPath("データ.csv", ""), "データ.csv");

    CKaisekiDoc doc;
    doc.OnNewDocument();
    doc.SetPathName(kcd);
    doc.m_dataFilePath = "データ.csv";
    test::ScriptedHost host;
    qt::ReadDataFile(doc);
    EXPECT_EQ(doc.m_rowCount, 1);
    EXPECT_EQ(doc.m_dataFilePath, "データ.csv");  // the stored path is kept
    EXPECT_TRUE(host.messages.empty());
}

TEST(ProcSetDlg, BrowsePutsTheChosenPathIntoTheEditOnly) {
    Fixture f;
    test::TempDir dir;
    const std::string chosen = dir.Write("run1.csv", "1,2\r\n");
    f.doc.m_dataFilePath = "/data/old.csv";
    f.dialog->RefreshFromDocument();
    test::ScriptedFileChooser files;
    files.Answer(QString::fromStdString(chosen));
    Click(f.dialog.get(), CProcSetDlg::kBrowseButton);
    ASSERT_EQ(files.questions.size(), 1u);
    EXPECT_EQ(files.questions[0].kind, qt::FileQuestion::Kind::Open);
    EXPECT_EQ(files.questions[0].filters,
              QStringList({QStringLiteral("データファイル (*.csv *.txt *.edf *.bdf *.gdf *.vhdr *.mat *.acq *.abf *.atf *.cfs *.cfwb *.scp *.mwf *.cnt *.smr)"),
                           QStringLiteral("All Files (*)")}));
    EXPECT_EQ(Control<QLineEdit>(f.dialog.get(), 1000)->text().toStdString(), chosen);
    // Nothing is applied until "決定".
    EXPECT_EQ(f.doc.m_dataFilePath, "/data/old.csv");
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(f.doc.m_rowCount, 0);
}

TEST(ProcSetDlg, ClosingHidesTheDialogWhichKeepsFollowingTheDocument) {
    Fixture f;
    f.dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.dialog.get()));
    EXPECT_FALSE(f.dialog->close());  // the title-bar button
    EXPECT_FALSE(f.dialog->isVisible());
    f.dialog->show();
    QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(f.dialog->isVisible());

    // Hidden, it is still brought in line by every view update.
    f.doc.m_channelEnabled[5] = 1;
    f.doc.m_dataFilePath = "/data/next.csv";
    f.doc.UpdateAllViews();
    EXPECT_TRUE(Control<QCheckBox>(f.dialog.get(), 1012)->isChecked());
    EXPECT_TRUE(Control(f.dialog.get(), 1013)->isEnabled());
    EXPECT_EQ(Control<QLineEdit>(f.dialog.get(), 1000)->text(), QStringLiteral("/data/next.csv"));
}
