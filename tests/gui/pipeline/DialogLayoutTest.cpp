// Every dialog template laid out for real: sizes from the dialog font, controls inside the
// dialog and below the preview, captions wide enough for their text. With TAVREL_SCREENSHOT_DIR
// set, each dialog is also written there as a PNG for a look by eye.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <set>

#include "DialogTestSupport.h"
#include "gui/pipeline/ChProcDlg.h"
#include "gui/pipeline/DialogTemplates.h"
#include "gui/pipeline/FilterDlgBase.h"
#include "gui/pipeline/PreviewWnd.h"
#include "pipeline/ModuleRegistry.h"
#include "support/ScriptedHost.h"

namespace tavrel::test {
namespace {

using qt::ControlKind;

void SaveShot(QWidget& window, const QString& name) {
    const QByteArray dir = qgetenv("TAVREL_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    window.grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

TEST(DialogLayout, EveryModuleTemplateLaysOutInsideTheDialogBelowThePreview) {
    ScriptedHost host;
    SignalDocument signal(2000);
    CModBase* module = signal.Append(std::make_unique<CModBase>());
    SignalDocument::StartEditing(*module);
    const qt::DialogUnits units;
    // The templates are exactly those the module classes open.
    std::set<int> opened;
    for (const ModuleClass* c : ModuleClasses()) {
        if (c->dialogTemplate == 0) continue;
        opened.insert(c->dialogTemplate);
        EXPECT_NE(qt::FindDialogTemplate(c->dialogTemplate), nullptr) << c->className;
    }
    for (const qt::DialogTemplate& tmpl : qt::AllDialogTemplates()) {
        if (tmpl.id == qt::kChainEditorTemplate) continue;
        EXPECT_TRUE(opened.count(tmpl.id)) << tmpl.id << " is laid out but no module opens it";
        ModuleDialog logic(*module, tmpl.id, "", tmpl.id != qt::kFrameTemplate);
        qt::CFilterDlgBase window(logic);
        window.show();
        SCOPED_TRACE(tmpl.id);
        EXPECT_EQ(window.size(), units.Size(410, 201));
        const QRect inside = window.rect();
        const int previewBottom = window.Preview()->geometry().bottom();
        for (const qt::ControlSpec& ctl : tmpl.controls) {
            if (ctl.id == 0) continue;
            QWidget* w = qt::Control(&window, ctl.id);
            ASSERT_NE(w, nullptr) << ctl.id;
            const QRect placed = units.Rect(ctl.x, ctl.y, ctl.width, ctl.height);
            if (ctl.kind == ControlKind::CheckBox || ctl.kind == ControlKind::RadioButton) {
                // Widened when the caption needs it, never narrowed or moved.
                EXPECT_EQ(w->pos(), placed.topLeft()) << ctl.id;
                EXPECT_EQ(w->height(), placed.height()) << ctl.id;
                EXPECT_GE(w->width(), placed.width()) << ctl.id;
            } else {
                EXPECT_EQ(w->geometry(), placed) << ctl.id;
            }
            EXPECT_TRUE(inside.contains(w->geometry())) << ctl.id;
            EXPECT_GT(w->geometry().top(), previewBottom) << ctl.id;
        }
        // Labels show their whole caption.
        for (QLabel* label : window.findChildren<QLabel*>()) {
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << label->text().toStdString();
        }
        // No two controls overlap (group boxes and the separator only frame the others), and
        // check boxes and radio buttons are wide enough for their box and caption.
        std::vector<QWidget*> laidOut;
        for (QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const bool separator = w->metaObject() == &QFrame::staticMetaObject;
            if (w->isHidden() || separator || qobject_cast<QGroupBox*>(w)) continue;
            for (QWidget* other : laidOut) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << w->objectName().toStdString() << " "
                    << w->property("text").toString().toStdString() << " / "
                    << other->objectName().toStdString() << " "
                    << other->property("text").toString().toStdString();
            }
            laidOut.push_back(w);
            if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
            }
        }
        SaveShot(window, QString("template_%1").arg(tmpl.id));
    }
}

TEST(DialogLayout, TheDialogFontIsAJapaneseGothicFace) {
    const QFontInfo info(qt::DialogFont());
    EXPECT_TRUE(info.family().startsWith("IPA") || info.family().contains("CJK"))
        << info.family().toStdString();
}

TEST(DialogLayout, ProcessingListEditorFollowsItsTemplate) {
    SignalDocument signal(100);
    qt::CChProcDlg editor(nullptr, signal.Head(), 2);
    editor.show();
    const qt::DialogUnits units;
    EXPECT_EQ(editor.size(), units.Size(259, 213));
    EXPECT_EQ(qt::Control(&editor, 1036)->geometry(), units.Rect(21, 60, 115, 137));
    EXPECT_EQ(qt::Control(&editor, 1004)->geometry(), units.Rect(143, 83, 50, 14));
    SaveShot(editor, "template_103");
}

}  // namespace
}  // namespace tavrel::test
