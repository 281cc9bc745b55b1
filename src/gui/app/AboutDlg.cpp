#include "gui/app/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "gui/platform/DialogLayout.h"
#include "gui/platform/Translation.h"

// The resources live in a static library; they are registered once on first use.
static void InitTavrelResources() {
    Q_INIT_RESOURCE(tavrel);
}

namespace tavrel::qt {

QIcon AppIcon() {
    static bool initialised = false;
    if (!initialised) {
        InitTavrelResources();
        initialised = true;
    }
    return QIcon(QStringLiteral(":/tavrel/tavrel.svg"));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Tr("AboutDlg", "Tavrelのﾊﾞｰｼﾞｮﾝ情報"));
    DialogUnits du;
    SizeDialog(this, du, 235, 55);

    auto* icon = AddControl<QLabel>(this, du, 0, 11, 17, 20, 20);
    QRect iconRect = du.Rect(11, 17, 20, 20);
    int side = std::min(iconRect.width(), iconRect.height());
    icon->setPixmap(AppIcon().pixmap(side, side));
    AddControl<QLabel>(this, du, 0, 40, 10, 119, 8, QStringLiteral("Tavrel Version 1.0.1"));
    AddControl<QLabel>(this, du, 0, 40, 25, 119, 8,
                       Tr("AboutDlg", "多チャンネル波形解析プログラム"));
    auto* ok = AddControl<QPushButton>(this, du, 1, 178, 7, 50, 14, QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
}

}  // namespace tavrel::qt
