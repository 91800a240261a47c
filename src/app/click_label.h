#pragma once
// A label or picture that reports a click, for the links and pictures of the window.
#include <QLabel>
#include <QMouseEvent>

class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(e);
    }
};
