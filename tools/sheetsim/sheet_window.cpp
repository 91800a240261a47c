#include "sheet_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QSaveFile>
#include <QTimer>
#include <cstdio>

namespace {
constexpr int kRows = 80;
constexpr int kColumns = 26;
} // namespace

SheetWindow::SheetWindow(const QString& savePath, QWidget* parent)
    : QTableWidget(kRows, kColumns, parent), savePath_(savePath) {
    setWindowTitle("sheetsim");
    // Keys go into the cells directly, as into a worksheet; no editor opens.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::StrongFocus);
    resize(900, 600);
    setCurrentCell(0, 0);
    if (!savePath_.isEmpty()) {
        // A mark left by an earlier copy must not tell a test we are ready.
        QFile::remove(savePath_ + ".ready");
        save();
    }
}

void SheetWindow::keyPressEvent(QKeyEvent* event) {
    const int row = currentRow() < 0 ? 0 : currentRow();
    const int column = currentColumn() < 0 ? 0 : currentColumn();
    switch (event->key()) {
    case Qt::Key_Down:
        moveTo(row + 1, column);
        break;
    case Qt::Key_Right:
        moveTo(row, column + 1);
        break;
    case Qt::Key_Home:
        moveTo(row, 0);
        break;
    case Qt::Key_Backspace:
        if (QTableWidgetItem* cell = item(row, column)) {
            QString text = cell->text();
            // One character, which may take two UTF-16 units.
            text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
            cell->setText(text);
        }
        break;
    default: {
        const QString text = event->text();
        bool printable = !text.isEmpty();
        for (const QChar c : text)
            printable = printable && c.isPrint();
        if (!printable) {
            event->ignore();
            return;
        }
        QTableWidgetItem* cell = item(row, column);
        if (!cell) {
            cell = new QTableWidgetItem;
            setItem(row, column, cell);
        }
        cell->setText(cell->text() + text);
        break;
    }
    }
    event->accept();
    save();
}

void SheetWindow::moveTo(int row, int column) {
    // The sheet grows as the keys go past its edge, so nothing typed is lost.
    if (row >= rowCount()) setRowCount(row + 1);
    if (column >= columnCount()) setColumnCount(column + 1);
    setCurrentCell(row, column);
}

bool SheetWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !ready_) {
        // After the activation has been handled, when keys reach the grid.
        QTimer::singleShot(0, this, &SheetWindow::markReady);
    }
    return QTableWidget::event(event);
}

void SheetWindow::markReady() {
    if (ready_ || savePath_.isEmpty() || !isActiveWindow()) return;
    setFocus();
    QFile mark(savePath_ + ".ready");
    if (!mark.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "sheetsim: cannot write %s\n", qPrintable(mark.fileName()));
        return;
    }
    mark.write(QByteArray::number(QCoreApplication::applicationPid()));
    mark.close();
    ready_ = true;
}

QByteArray SheetWindow::contents() const {
    auto textAt = [this](int r, int c) {
        const QTableWidgetItem* cell = item(r, c);
        return cell ? cell->text() : QString();
    };
    int lastRow = -1;
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            if (!textAt(r, c).isEmpty()) lastRow = r;
        }
    }
    QByteArray out;
    for (int r = 0; r <= lastRow; ++r) {
        int lastColumn = -1;
        for (int c = 0; c < columnCount(); ++c) {
            if (!textAt(r, c).isEmpty()) lastColumn = c;
        }
        for (int c = 0; c <= lastColumn; ++c) {
            if (c > 0) out += '\t';
            out += textAt(r, c).toLatin1();
        }
        out += "\r\n";
    }
    return out;
}

void SheetWindow::save() {
    if (savePath_.isEmpty()) return;
    // Written whole to a temporary file and renamed, so a reader never sees half a grid.
    QSaveFile file(savePath_);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents()) < 0 || !file.commit()) {
        std::fprintf(stderr, "sheetsim: cannot save %s: %s\n", qPrintable(savePath_),
                     qPrintable(file.errorString()));
    }
}
