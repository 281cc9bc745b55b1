// CAboutDlg ("Tavrelのﾊﾞｰｼﾞｮﾝ情報"): the about box with the application icon, the version line
// and a notice line, closed by OK. Also home of the application icon.
#pragma once

#include <QDialog>
#include <QIcon>

namespace tavrel::qt {

// The application icon (also the icon of its documents), from the program's resources.
QIcon AppIcon();

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 100;
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace tavrel::qt
