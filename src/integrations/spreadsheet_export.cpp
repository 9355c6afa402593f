#include "integrations/spreadsheet_export.h"

#include "core/config.h"
#include "db/grid_model.h"
#include "integrations/external_programs.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <locale.h>
#include <string>
#include <thread>
#include <xlsxwriter.h>

namespace integrations {

namespace {

// Ten digits and more before the point are ids and phone numbers, never
// quantities; they stay text so they read exactly as typed.
constexpr int kMaxIntegerDigits = 9;
// A spreadsheet keeps fifteen significant digits and rounds the rest away.
constexpr int kMaxSignificantDigits = 15;
constexpr qsizetype kMaxCellChars = 32767;

char16_t unit(QStringView text, qsizetype at) {
    return text[at].unicode();
}
char16_t unit(QByteArrayView text, qsizetype at) {
    return uchar(text[at]);
}

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

template <class View> qsizetype skipDigits(View text, qsizetype at) {
    while (at < text.size() && isAsciiDigit(unit(text, at)))
        ++at;
    return at;
}

template <class View> int significantDigits(View digitsAndPoint) {
    int count = 0;
    for (qsizetype i = 0; i < digitsAndPoint.size(); ++i) {
        const char16_t c = unit(digitsAndPoint, i);
        if (c == u'.' || (count == 0 && c == u'0'))
            continue;
        ++count;
    }
    return count;
}

// The grammar of a number is plain ASCII, so it reads the same on the
// grid's UTF-8 bytes as on a QString.
template <class View> CellKind kindOf(View text) {
    if (text.isEmpty())
        return CellKind::Empty;
    const qsizetype integerStart = unit(text, 0) == u'-' ? 1 : 0;
    const qsizetype integerEnd = skipDigits(text, integerStart);
    const qsizetype integerDigits = integerEnd - integerStart;
    qsizetype end = integerEnd;
    if (end < text.size() && unit(text, end) == u'.') {
        end = skipDigits(text, end + 1);
        if (end == integerEnd + 1)
            return CellKind::Text;
    }
    if (end != text.size() || integerDigits == 0 || integerDigits > kMaxIntegerDigits)
        return CellKind::Text;
    if (integerDigits > 1 && unit(text, integerStart) == u'0')
        return CellKind::Text;
    if (significantDigits(text.sliced(integerStart)) > kMaxSignificantDigits)
        return CellKind::Text;
    return CellKind::Number;
}

// libxlsxwriter prints numbers with the C library's printf, which follows
// the process locale that Qt takes from the environment; a German or French
// desktop would get "4,5" in the file and the spreadsheet would reject it.
// The workbook is written under the "C" locale on this thread only.
class CNumbersOnThisThread {
public:
    CNumbersOnThisThread()
        : m_c(newlocale(LC_ALL_MASK, "C", locale_t(nullptr)))
        , m_previous(m_c ? uselocale(m_c) : locale_t(nullptr)) {}
    ~CNumbersOnThisThread() {
        if (!m_c)
            return;
        uselocale(m_previous);
        freelocale(m_c);
    }
    CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
    CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

private:
    locale_t m_c;
    locale_t m_previous;
};

QByteArray cellUtf8(const QString& text) {
    qsizetype size = text.size();
    if (size > kMaxCellChars) {
        size = kMaxCellChars;
        if (text.at(size - 1).isHighSurrogate())
            --size;
    }
    return QStringView(text).left(size).toUtf8();
}

lxw_error writeText(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const QString& text) {
    if (text.isEmpty())
        return LXW_NO_ERROR;
    return worksheet_write_string(sheet, row, column, cellUtf8(text).constData(), nullptr);
}

// Cells go straight from the grid's UTF-8 to the sheet; only a text too long
// for a cell takes the slower way through QString to be cut at a character.
lxw_error writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, QByteArrayView utf8,
                    std::string& buffer) {
    switch (kindOf(utf8)) {
    case CellKind::Empty:
        return LXW_NO_ERROR;
    case CellKind::Number:
        return worksheet_write_number(sheet, row, column, utf8.toDouble(), nullptr);
    case CellKind::Text:
        break;
    }
    if (utf8.size() > kMaxCellChars)
        return writeText(sheet, row, column, QString::fromUtf8(utf8));
    buffer.assign(utf8.data(), size_t(utf8.size()));
    return worksheet_write_string(sheet, row, column, buffer.c_str(), nullptr);
}

QString cellError(lxw_row_t row, lxw_col_t column, lxw_error error) {
    char name[LXW_MAX_CELL_NAME_LENGTH];
    lxw_rowcol_to_cell(name, row, column);
    return QStringLiteral("cell %1: %2")
        .arg(QString::fromLatin1(name), QString::fromUtf8(lxw_strerror(error)));
}

// What a writer on another thread and the thread that waits for it share.
struct WriteProgress {
    std::atomic<bool> cancel{false};
    std::atomic<int> rows{0};
    std::atomic<bool> done{false};
};

// How often the writer reports its rows and looks for a cancel.
constexpr int kRowsPerCheck = 512;

// Empty when every cell is written; the caller tells a cancel apart by the
// flag it set.
QString writeSheet(lxw_worksheet* sheet, const db::GridCells& grid, WriteProgress* progress) {
    const QStringList header = grid.columns();
    for (int c = 0; c < header.size(); ++c) {
        if (const lxw_error e = writeText(sheet, 0, lxw_col_t(c), header.at(c)))
            return cellError(0, lxw_col_t(c), e);
    }
    std::string buffer;
    for (int r = 0; r < grid.rowCount(); ++r) {
        if (progress && r % kRowsPerCheck == 0) {
            progress->rows.store(r, std::memory_order_relaxed);
            if (progress->cancel.load(std::memory_order_relaxed))
                return QStringLiteral("cancelled");
        }
        const auto row = lxw_row_t(r + 1);
        for (int c = 0; c < header.size(); ++c) {
            if (const lxw_error e =
                    writeCell(sheet, row, lxw_col_t(c), grid.cellUtf8(r, c), buffer))
                return cellError(row, lxw_col_t(c), e);
        }
    }
    return {};
}

QString writeCells(const db::GridCells& grid, const QString& path, WriteProgress* progress) {
    if (grid.rowCount() >= LXW_ROW_MAX)
        return QStringLiteral("the grid has %1 rows; a worksheet holds at most %2 below its "
                              "header row")
            .arg(grid.rowCount())
            .arg(LXW_ROW_MAX - 1);
    if (grid.columnCount() > LXW_COL_MAX)
        return QStringLiteral("the grid has %1 columns; a worksheet holds at most %2")
            .arg(grid.columnCount())
            .arg(LXW_COL_MAX);

    const CNumbersOnThisThread cNumbers;
    // Rows go out in order, so the library need not hold a large grid twice.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* book = workbook_new_opt(file.constData(), &options);
    if (!book)
        return QStringLiteral("the workbook could not be created");
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    QString error = sheet ? writeSheet(sheet, grid, progress)
                          : QStringLiteral("the worksheet could not be added");
    // A cancelled workbook is dropped without packing what was written. The
    // library would keep the sheet's scratch file (and its disk space) open
    // for the life of the client, so it is closed here first.
    if (progress && progress->cancel.load()) {
        if (sheet && sheet->optimize_tmpfile) {
            std::fclose(sheet->optimize_tmpfile);
            sheet->optimize_tmpfile = nullptr;
        }
        lxw_workbook_free(book);
        return QStringLiteral("cancelled");
    }
    const lxw_error closed = workbook_close(book);
    if (error.isEmpty() && closed != LXW_NO_ERROR)
        error = QString::fromUtf8(lxw_strerror(closed));
    return error;
}

// Claims a new file name atomically, so two exports in the same millisecond,
// even from two clients of the same user, never share a workbook.
QString reserveExportPath() {
    const QString stem =
        QDir::tempPath() + QStringLiteral("/zelcrm-export-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    for (int n = 1; n <= 1000; ++n) {
        const QString path =
            n == 1 ? stem + QStringLiteral(".xlsx") : QStringLiteral("%1-%2.xlsx").arg(stem).arg(n);
        QFile file(path);
        // The grid holds subscriber data and the temporary folder is shared.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return path;
        if (!file.exists())
            break;
    }
    throw ExportError(QStringLiteral("Could not create a file for the export in %1.")
                          .arg(QDir::toNativeSeparators(QDir::tempPath())));
}

} // namespace

ExportError::ExportError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

// Assembled from the cells' UTF-8 as they are kept and decoded once: far
// less work than a string per cell, which matters on a busy desktop where
// this runs beside the workbook.
QString gridClipboardText(const db::GridCells& grid) {
    QByteArray utf8 = grid.columns().join(u'\t').toUtf8();
    const int columns = grid.columnCount();
    for (int r = 0; r < grid.rowCount(); ++r) {
        utf8 += '\r';
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                utf8 += '\t';
            utf8 += grid.cellUtf8(r, c);
        }
    }
    return QString::fromUtf8(utf8);
}

QString gridClipboardText(const db::GridModel& grid) {
    return gridClipboardText(grid.cells());
}

CellKind cellKind(QStringView text) {
    return kindOf(text);
}

QString writeWorkbook(const db::GridCells& grid, const QString& path) {
    return writeCells(grid, path, nullptr);
}

QString writeWorkbook(const db::GridModel& grid, const QString& path) {
    return writeCells(grid.cells(), path, nullptr);
}

namespace {

QString writeFailure(const QString& path, const QString& error) {
    return QStringLiteral("The export could not be written to %1: %2.")
        .arg(QDir::toNativeSeparators(path), error);
}

// Keeps this thread's event loop turning until the writer and the clipboard
// text are both done, with a progress dialog once it has taken half a
// second. Closing the dialog or its cancel button asks the writer to stop.
void waitForExport(WriteProgress& progress, const std::future<QString>& text, int rows,
                   QWidget* screen) {
    QPointer<QProgressDialog> dialog =
        new QProgressDialog(QStringLiteral("Writing the export..."), QStringLiteral("Cancel"), 0,
                            qMax(rows, 1), screen);
    dialog->setObjectName(QStringLiteral("exportProgress"));
    dialog->setWindowTitle(QStringLiteral("ZEL CRM"));
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(500);
    QObject::connect(dialog, &QProgressDialog::canceled, dialog,
                     [&progress] { progress.cancel.store(true); });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (dialog && dialog->wasCanceled())
            progress.cancel.store(true);
        if (dialog && progress.rows.load() > 0)
            dialog->setValue(progress.rows.load());
        if (progress.done.load() &&
            text.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            loop.quit();
    });
    poll.start(20);
    loop.exec();
    delete dialog.data();
}

// A new workbook of the cells in the temporary folder, written on a thread
// of its own; nothing is left behind when it cannot be written or the
// operator cancels (then the path is empty).
QString writeExportFile(const db::GridCells& cells, const std::future<QString>& text,
                        QWidget* screen) {
    const QString path = reserveExportPath();
    WriteProgress progress;
    QString error;
    {
        // Joined however the wait ends, so the writer never outlives what it
        // reads and writes here.
        const std::jthread writer([&] {
            error = writeCells(cells, path, &progress);
            progress.done.store(true);
        });
        waitForExport(progress, text, cells.rowCount(), screen);
    }
    if (progress.cancel.load()) {
        QFile::remove(path);
        return {};
    }
    if (!error.isEmpty()) {
        QFile::remove(path);
        throw ExportError(writeFailure(path, error));
    }
    return path;
}

void openInSpreadsheet(const QString& path, const core::Config& config,
                       ExternalPrograms& programs) {
    const QString program = config.value(QStringLiteral("tools/spreadsheet")).trimmed();
    const bool started = program.isEmpty() ? programs.openUrl(QUrl::fromLocalFile(path))
                                           : programs.start(program, {path});
    if (started)
        return;
    const QString who = program.isEmpty()
                            ? QStringLiteral("the desktop's spreadsheet program")
                            : QStringLiteral("the spreadsheet program \"%1\"").arg(program);
    throw ExportError(
        QStringLiteral("Could not start %1 to open the export. The workbook is kept at %2.")
            .arg(who, QDir::toNativeSeparators(path)));
}

} // namespace

QString exportGrid(const db::GridModel& grid, const core::Config& config,
                   ExternalPrograms& programs, QWidget* screen) {
    const db::GridCells cells = grid.cells();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // The clipboard text is built on one more thread while the workbook is
    // written; the clipboard gets it whatever becomes of the workbook.
    auto text = std::async(std::launch::async, [cells] { return gridClipboardText(cells); });
    QString path;
    try {
        path = writeExportFile(cells, text, screen);
    } catch (const ExportError&) {
        clipboard->setText(text.get());
        throw;
    }
    clipboard->setText(text.get());
    if (!path.isEmpty())
        openInSpreadsheet(path, config, programs);
    return path;
}

} // namespace integrations
