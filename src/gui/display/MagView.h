// CMagView: the view of the magnifier. It draws one channel over a sample range as a single band
// that fills the whole window, and repaints whenever the document updates its views.
#pragma once

#include <QWidget>

#include "document/KaisekiDoc.h"

namespace tavrel::qt {

class CMagView : public QWidget, public DocView {
    Q_OBJECT

  public:
    explicit CMagView(CKaisekiDoc* doc, QWidget* parent = nullptr);
    ~CMagView() override;

    CKaisekiDoc* GetDocument() const { return m_doc; }

    void OnUpdate() override { update(); }
    // Draws the channel band over the whole client rectangle with the range shown.
    void OnDraw(Surface& surface);

    // Set directly by the main frame's ShowMagnifier.
    int m_firstSample = 0;
    int m_lastSample = 0;
    int m_channel = 0;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CKaisekiDoc* m_doc;
};

}  // namespace tavrel::qt
