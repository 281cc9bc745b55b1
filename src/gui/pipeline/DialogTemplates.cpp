#include "gui/pipeline/DialogTemplates.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"
#include "pipeline/ModuleRegistry.h"

namespace tavrel::qt {

namespace {

using K = ControlKind;
namespace ids = dialog_ids;

// Every module dialog is 410 x 201 units with the preview above the separator and the three
// buttons at the lower right; the module's own controls come first so that the tab order starts
// with them.
DialogTemplate ModuleTemplate(int id, std::vector<ControlSpec> own) {
    own.push_back({K::DefaultButton, kIdOk, "OK", 353, 162, 50, 14});
    own.push_back(
        {K::PushButton, kIdCancel, QT_TRANSLATE_NOOP("ModuleDialogs", "ｷｬﾝｾﾙ"), 353, 179, 50, 14});
    own.push_back(
        {K::PushButton, kIdApply, QT_TRANSLATE_NOOP("ModuleDialogs", "適用"), 279, 180, 50, 14});
    own.push_back({K::Separator, 0, nullptr, 7, 107, 396, 2});
    return {id, nullptr, 410, 201, std::move(own)};
}

// The cut-off group of the low-pass and high-pass dialogs.
std::vector<ControlSpec> CutoffControls() {
    return {
        {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "カットオフ周波数（Hz）"), 19, 122, 94,
         65},
        {K::ReadOnlyEdit, ids::cutoff::kLowestField, nullptr, 24, 139, 28, 14, kAlignRight},
        {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 57, 141, 8, 8},
        {K::ReadOnlyEdit, ids::cutoff::kHighestField, nullptr, 69, 139, 28, 14, kAlignRight},
        {K::Label, 0, "Hz", 101, 141, 8, 8},
        {K::Edit, ids::cutoff::kCutoffEdit, nullptr, 24, 163, 28, 14, kAlignRight},
        {K::Label, 0, "Hz", 55, 166, 33, 8},
    };
}

// The two band-edge groups of the band-pass and band-stop dialogs, joined by `between`.
std::vector<ControlSpec> BandControls(const char* between) {
    return {
        {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "低域カットオフ周波数（Hz）"), 19, 122,
         94, 65},
        {K::ReadOnlyEdit, ids::band::kLowMinField, nullptr, 24, 139, 28, 14, kAlignRight},
        {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 57, 141, 8, 8},
        {K::ReadOnlyEdit, ids::band::kLowMaxField, nullptr, 69, 139, 28, 14, kAlignRight},
        {K::Label, 0, "Hz", 101, 141, 8, 8},
        {K::Edit, ids::band::kLowEdit, nullptr, 24, 163, 28, 14, kAlignRight},
        {K::Label, 0, "Hz", 55, 166, 33, 8},
        {K::Label, 0, between, 126, 167, 8, 8},
        {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "高域カットオフ周波数（Hz）"), 145, 122,
         94, 65},
        {K::ReadOnlyEdit, ids::band::kHighMinField, nullptr, 150, 140, 28, 14, kAlignRight},
        {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 183, 142, 8, 8},
        {K::ReadOnlyEdit, ids::band::kHighMaxField, nullptr, 195, 140, 28, 14, kAlignRight},
        {K::Label, 0, "Hz", 227, 142, 8, 8},
        {K::Edit, ids::band::kHighEdit, nullptr, 150, 164, 28, 14, kAlignRight},
        {K::Label, 0, "Hz", 181, 166, 33, 8},
    };
}

std::vector<DialogTemplate> MakeTemplates() {
    std::vector<DialogTemplate> t;

    // The processing-list editor.
    t.push_back(
        {kChainEditorTemplate,
         QT_TRANSLATE_NOOP("ModuleDialogs", "CH処理設定"),
         259,
         213,
         {
             {K::DefaultButton, kIdOk, "OK", 202, 7, 50, 14},
             {K::PushButton, kIdCancel, QT_TRANSLATE_NOOP("ModuleDialogs", "ｷｬﾝｾﾙ"), 202, 23, 50,
              14},
             {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "フィルタメニュー："), 23, 11, 0, 8},
             {K::DropDownList, 1035, nullptr, 21, 23, 115, 79},
             {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "処理リスト："), 23, 47, 0, 8},
             {K::ListBox, 1036, nullptr, 21, 60, 115, 137},
             {K::PushButton, 1001, QT_TRANSLATE_NOOP("ModuleDialogs", "追加"), 143, 23, 50, 14,
              kDisabled},
             {K::PushButton, 1002, QT_TRANSLATE_NOOP("ModuleDialogs", "挿入"), 143, 43, 50, 14,
              kDisabled},
             {K::PushButton, 1003, QT_TRANSLATE_NOOP("ModuleDialogs", "削除"), 143, 63, 50, 14,
              kDisabled},
             {K::PushButton, 1004, QT_TRANSLATE_NOOP("ModuleDialogs", "変更"), 143, 83, 50, 14,
              kDisabled},
         }});

    // The plain frame: preview, OK, Cancel (Apply hidden by the dialog object).
    t.push_back(ModuleTemplate(kFrameTemplate, {}));

    t.push_back(ModuleTemplate(
        ids::rectifier::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "種別"), 19, 147, 58, 40},
            {K::RadioButton, ids::rectifier::kFullWave,
             QT_TRANSLATE_NOOP("ModuleDialogs", "全波整流"), 26, 159, 43, 10, kGroupStart},
            {K::RadioButton, ids::rectifier::kHalfWave,
             QT_TRANSLATE_NOOP("ModuleDialogs", "半波整流"), 26, 173, 43, 10},
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "極性"), 89, 147, 43, 40},
            {K::RadioButton, ids::rectifier::kPositive, QT_TRANSLATE_NOOP("ModuleDialogs", "正"),
             97, 159, 23, 10, kGroupStart},
            {K::RadioButton, ids::rectifier::kNegative, QT_TRANSLATE_NOOP("ModuleDialogs", "負"),
             97, 173, 23, 10},
        }));

    t.push_back(ModuleTemplate(
        ids::decimation::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "間引き頻度"), 19, 147, 72, 40},
            {K::Edit, ids::decimation::kStepEdit, nullptr, 24, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "ポイント毎"), 55, 166, 33, 8},
        }));

    t.push_back(ModuleTemplate(
        ids::smoothing::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "平滑度"), 19, 147, 72, 40},
            {K::Edit, ids::smoothing::kPointsEdit, nullptr, 24, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "ポイント"), 55, 166, 33, 8},
        }));

    t.push_back(ModuleTemplate(ids::cutoff::kLowPassTemplate, CutoffControls()));
    t.push_back(ModuleTemplate(ids::cutoff::kHighPassTemplate, CutoffControls()));
    t.push_back(ModuleTemplate(ids::band::kBandPassTemplate,
                               BandControls(QT_TRANSLATE_NOOP("ModuleDialogs", "～"))));
    t.push_back(ModuleTemplate(ids::band::kBandStopTemplate, BandControls("×")));

    t.push_back(ModuleTemplate(
        ids::amplitude::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "活動判定条件"), 19, 147, 225, 40},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "最大振幅の"), 23, 165, 35, 8},
            {K::Edit, ids::amplitude::kThresholdEdit, nullptr, 62, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "％以上の振幅が"), 94, 165, 50, 8},
            {K::Edit, ids::amplitude::kDurationEdit, nullptr, 147, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "ms以上経過"), 179, 165, 50, 8},
        }));

    t.push_back(ModuleTemplate(
        ids::integrator::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "積分範囲（ms）"), 19, 122, 96, 65},
            {K::ReadOnlyEdit, ids::integrator::kMinField, nullptr, 24, 139, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 57, 141, 8, 8},
            {K::ReadOnlyEdit, ids::integrator::kMaxField, nullptr, 69, 139, 28, 14, kAlignRight},
            {K::Label, 0, "ms", 101, 141, 8, 8},
            {K::Edit, ids::integrator::kStartEdit, nullptr, 24, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 57, 166, 8, 8},
            {K::Edit, ids::integrator::kEndEdit, nullptr, 69, 163, 28, 14, kAlignRight},
            {K::Label, 0, "ms", 101, 166, 8, 8},
        }));

    t.push_back(ModuleTemplate(
        ids::sd::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "活動判定条件"), 19, 119, 234, 68},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "基準範囲："), 26, 134, 32, 8},
            {K::Edit, ids::sd::kRefStartEdit, nullptr, 61, 132, 26, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "msから"), 90, 134, 22, 8},
            {K::Edit, ids::sd::kRefLengthEdit, nullptr, 114, 132, 26, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "ms間"), 143, 134, 16, 8},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "（"), 161, 134, 8, 8},
            {K::ReadOnlyEdit, ids::sd::kMinField, nullptr, 169, 132, 26, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 199, 134, 8, 8},
            {K::ReadOnlyEdit, ids::sd::kMaxField, nullptr, 208, 132, 26, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "ms）"), 237, 134, 13, 8},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "基準範囲SDの"), 26, 165, 44, 8},
            {K::Edit, ids::sd::kFactorEdit, nullptr, 72, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "倍以上のSDが"), 103, 165, 44, 8},
            {K::Edit, ids::sd::kWindowEdit, nullptr, 151, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "ms以上経過"), 183, 165, 50, 8},
        }));

    t.push_back(ModuleTemplate(
        ids::clip::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "選択範囲（ms）"), 19, 122, 155,
             65},
            {K::Edit, ids::clip::kStartEdit, nullptr, 24, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 57, 166, 8, 8},
            {K::Edit, ids::clip::kEndEdit, nullptr, 69, 163, 28, 14, kAlignRight},
            {K::Label, 0, "ms", 101, 166, 8, 8},
            {K::CheckBox, ids::clip::kCut, QT_TRANSLATE_NOOP("ModuleDialogs", "切り取り"), 131, 165,
             36, 10},
            {K::ReadOnlyEdit, ids::clip::kMinField, nullptr, 24, 139, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 57, 141, 8, 8},
            {K::ReadOnlyEdit, ids::clip::kMaxField, nullptr, 69, 139, 28, 14, kAlignRight},
            {K::Label, 0, "ms", 101, 141, 8, 8},
        }));

    t.push_back(ModuleTemplate(
        ids::probe::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "プローブ機能"), 19, 139, 85, 40},
            {K::CheckBox, ids::probe::kEnable, QT_TRANSLATE_NOOP("ModuleDialogs", "有効にする"), 30,
             156, 49, 10},
        }));

    // The frame of the generated dialogs; TableTemplate adds the rows of a class.
    t.push_back(ModuleTemplate(ids::generated::kTemplate, {}));

    t.push_back(ModuleTemplate(
        ids::fft::kTemplate,
        {
            {K::GroupBox, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "計算範囲（ms）"), 19, 122, 163,
             65},
            {K::ReadOnlyEdit, ids::fft::kMinField, nullptr, 24, 139, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "～"), 57, 141, 8, 8},
            {K::ReadOnlyEdit, ids::fft::kMaxField, nullptr, 69, 139, 28, 14, kAlignRight},
            {K::Label, 0, "ms", 101, 141, 8, 8},
            {K::Edit, ids::fft::kStartEdit, nullptr, 24, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "ms から"), 57, 166, 24, 8},
            {K::ReadOnlyEdit, ids::fft::kPointsField, nullptr, 85, 163, 28, 14, kAlignRight},
            {K::Label, 0, QT_TRANSLATE_NOOP("ModuleDialogs", "点の"), 119, 166, 16, 8},
            {K::ReadOnlyEdit, ids::fft::kMethodField, nullptr, 137, 163, 26, 14},
        }));
    return t;
}

QWidget* CreateControl(QWidget* dialog, const ControlSpec& ctl, QButtonGroup*& radioGroup) {
    const QString caption = ctl.caption ? Tr("ModuleDialogs", ctl.caption) : QString();
    switch (ctl.kind) {
        case K::GroupBox: {
            auto* box = new QGroupBox(caption, dialog);
            box->setFocusPolicy(Qt::NoFocus);
            // A template's group box is a frame whose caption sits on its top edge; the frame
            // line therefore runs through the middle of the caption's first line.
            box->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); margin-top: 0.5em; }"
                "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                " left: 6px; padding: 0px 2px; background-color: palette(window); }"));
            return box;
        }
        case K::Label: {
            auto* label = new QLabel(caption, dialog);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case K::Edit:
        case K::ReadOnlyEdit: {
            auto* edit = new QLineEdit(dialog);
            edit->setAlignment((ctl.style & kAlignRight) ? Qt::AlignRight | Qt::AlignVCenter
                                                         : Qt::AlignLeft | Qt::AlignVCenter);
            if (ctl.kind == K::ReadOnlyEdit) {
                // Read-only fields show the dialog's colour, as read-only edits do, and are
                // skipped by Tab (a click still lets the user select and copy their text).
                edit->setReadOnly(true);
                edit->setFocusPolicy(Qt::ClickFocus);
                QPalette palette = edit->palette();
                palette.setColor(QPalette::Base, palette.color(QPalette::Window));
                edit->setPalette(palette);
            }
            return edit;
        }
        case K::CheckBox:
            return new QCheckBox(caption, dialog);
        case K::RadioButton: {
            auto* radio = new QRadioButton(caption, dialog);
            if ((ctl.style & kGroupStart) || !radioGroup) radioGroup = new QButtonGroup(dialog);
            radioGroup->addButton(radio);
            return radio;
        }
        case K::PushButton:
        case K::DefaultButton: {
            auto* button = new QPushButton(caption, dialog);
            button->setAutoDefault(true);
            if (ctl.kind == K::DefaultButton) button->setDefault(true);
            return button;
        }
        case K::Separator: {
            auto* line = new QFrame(dialog);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            return line;
        }
        case K::DropDownList:
            return new QComboBox(dialog);
        case K::ListBox: {
            auto* list = new QListWidget(dialog);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            return list;
        }
    }
    return nullptr;
}

}  // namespace

const std::vector<DialogTemplate>& AllDialogTemplates() {
    static const std::vector<DialogTemplate> templates = MakeTemplates();
    return templates;
}

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& t : AllDialogTemplates()) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

DialogTemplate TableTemplate(const ModuleClass& moduleClass) {
    // A row is 17 units high; a column holds a caption of 64 units, the control of 36 and its
    // unit, 130 units in all, so two columns end left of "適用".
    constexpr int kTop = 122;
    constexpr int kRowHeight = 17;
    constexpr int kColumnWidth = 130;
    constexpr int kCaptionWidth = 64;
    constexpr int kControlX = 66;
    constexpr int kControlWidth = 36;
    const int count = static_cast<int>(moduleClass.fields.size());
    const int perColumn = std::max(4, (count + 1) / 2);

    std::vector<ControlSpec> rows;
    for (int i = 0; i < count; ++i) {
        const ModuleField& f = moduleClass.fields[static_cast<std::size_t>(i)];
        const int id = ids::generated::kFirstControl + i;
        const int x = 19 + (i / perColumn) * kColumnWidth;
        const int y = kTop + (i % perColumn) * kRowHeight;
        switch (f.kind) {
            case ParamKind::OnOff:
                rows.push_back(
                    {K::CheckBox, id, f.caption, x, y + 2, kControlX + kControlWidth, 10});
                break;
            case ParamKind::Choice:
                rows.push_back({K::Label, 0, f.caption, x, y + 3, kCaptionWidth, 8});
                rows.push_back({K::DropDownList, id, nullptr, x + kControlX, y,
                                kColumnWidth - kControlX - 8, 60});
                break;
            case ParamKind::Integer:
            case ParamKind::Real:
                rows.push_back({K::Label, 0, f.caption, x, y + 3, kCaptionWidth, 8});
                rows.push_back(
                    {K::Edit, id, nullptr, x + kControlX, y, kControlWidth, 14, kAlignRight});
                if (f.unit)
                    rows.push_back(
                        {K::Label, 0, f.unit, x + kControlX + kControlWidth + 3, y + 3, 0, 8});
                break;
        }
    }
    DialogTemplate frame = *FindDialogTemplate(ids::generated::kTemplate);
    rows.insert(rows.end(), frame.controls.begin(), frame.controls.end());
    frame.controls = std::move(rows);
    frame.height = std::max(frame.height, kTop + perColumn * kRowHeight + 10);
    return frame;
}

void FillChoices(QWidget* dialog, const ModuleClass& moduleClass) {
    for (std::size_t i = 0; i < moduleClass.fields.size(); ++i) {
        const ModuleField& f = moduleClass.fields[i];
        if (f.kind != ParamKind::Choice) continue;
        auto* box = Control<QComboBox>(dialog, ids::generated::kFirstControl + static_cast<int>(i));
        if (!box) continue;
        for (const char* option : f.choices)
            box->addItem(Tr("ModuleDialogs", option));
    }
}

void BuildControls(QWidget* dialog, const DialogTemplate& tmpl, const DialogUnits& units) {
    SizeDialog(dialog, units, tmpl.width, tmpl.height);
    QButtonGroup* radioGroup = nullptr;
    for (const ControlSpec& ctl : tmpl.controls) {
        if (ctl.kind != K::RadioButton) radioGroup = nullptr;
        QWidget* w = CreateControl(dialog, ctl, radioGroup);
        int width = ctl.width;
        int height = ctl.height;
        if (ctl.kind == K::DropDownList) {
            // The template height includes the dropped-down list; the closed box is as high as
            // the style draws it.
            Place(w, units, ctl.id, ctl.x, ctl.y, width, 0);
            w->resize(w->width(), w->sizeHint().height());
        } else {
            Place(w, units, ctl.id, ctl.x, ctl.y, width, height);
        }
        if (ctl.kind == K::Label || ctl.kind == K::CheckBox || ctl.kind == K::RadioButton) {
            // A label, check box or radio button is never narrower than its caption, so none is
            // cut off by a font whose characters are wider than the template assumed.
            if (const int need = CaptionWidth(w); w->width() < need) w->resize(need, w->height());
        }
        if (ctl.style & kDisabled) w->setEnabled(false);
    }
}

}  // namespace tavrel::qt
