#pragma once
// A stand-in spreadsheet: a grid that takes typed keys the way the export
// expects of a fresh worksheet, and keeps a copy of what it holds in a file.
#include <QString>
#include <QTableWidget>

class SheetWindow : public QTableWidget {
    Q_OBJECT
  public:
    // savePath empty: nothing is saved and no ready mark is written.
    explicit SheetWindow(const QString& savePath, QWidget* parent = nullptr);

    // The grid as saved: 8-bit text, one line per row up to the last row that
    // holds anything, cells joined by tabs without the trailing empty ones,
    // each line ended by CR LF.
    QByteArray contents() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void moveTo(int row, int column);
    void save();
    void markReady();

    QString savePath_;
    bool ready_ = false;
};
