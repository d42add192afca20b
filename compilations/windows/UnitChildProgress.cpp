#include "UnitChildProgress.h"

#include "CompilationMessages.h"
#include "Database.h"
#include "Dialogs.h"
#include "Exception.h"
#include "PagedPdf.h"
#include "ProgressChart.h"
#include "ProgressPdf.h"
#include "ProgressTable.h"
#include "Regional.h"
#include "UnitTableEdit.h"
#include "WaitCursor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QGuiApplication>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor kUp(0x1b, 0x7a, 0x1b);
const QColor kDown(0xb0, 0x1c, 0x1c);

} // namespace

TFormChildProgress::TFormChildProgress(QWidget* owner, int idChild)
    : QDialog(owner)
    , idChild_(idChild)
{
    setObjectName(QStringLiteral("FormChildProgress"));
    setWindowTitle(QStringLiteral("Andamento del bambino"));
    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(this);
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title_->setFont(bold);
    layout->addWidget(title_);
    empty_ = new QLabel(QStringLiteral("Il bambino non ha ancora compilazioni."), this);
    empty_->setObjectName(QStringLiteral("LabelNoCompilations"));
    empty_->setAlignment(Qt::AlignCenter);
    layout->addWidget(empty_, 1);

    QString chartMissing;
    chart_ = MakeProgressChart(this, chartMissing);
    if (chart_) {
        chartView_ = chart_;
    } else {
        // The table and the PDF still work; the chart's place says why it is empty.
        auto* missing = new QLabel(chartMissing, this);
        missing->setAlignment(Qt::AlignCenter);
        missing->setWordWrap(true);
        chartView_ = missing;
    }
    chartView_->setObjectName(QStringLiteral("ChartProgress"));
    chartView_->setMinimumHeight(180);
    layout->addWidget(chartView_, 3);

    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("TableProgress"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->setAccessibleName(QStringLiteral("Compilazioni del bambino"));
    table_->setToolTip(QStringLiteral("Doppio clic per aprire la compilazione"));
    layout->addWidget(table_, 2);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { TableDoubleClicked(row); });

    auto* buttons = new QHBoxLayout;
    exportPdf_ = new QPushButton(QStringLiteral("Esporta &PDF..."), this);
    exportPdf_->setObjectName(QStringLiteral("BitBtnExportPdf"));
    exportPdf_->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("&Chiudi"), this);
    close->setObjectName(QStringLiteral("BitBtnClose"));
    close->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(exportPdf_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(exportPdf_, &QPushButton::clicked, this, &TFormChildProgress::BitBtnExportPdfClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    resize(960, 640);
    // On a small screen, or at 150 %, the window must still fit whole.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(size().boundedTo(screen->availableGeometry().size() * 0.92));
    Reload();
}

TFormChildProgress::~TFormChildProgress() = default;

void TFormChildProgress::Show(QWidget* owner, int idChild)
{
    std::unique_ptr<TFormChildProgress> window;
    try {
        TWaitCursor wait;
        window = std::make_unique<TFormChildProgress>(owner, idChild);
    } catch (const Exception& e) {
        WarningBox(owner, ChildProgressFailedText() + e.Message());
        return;
    }
    window->exec();
}

void TFormChildProgress::Reload()
{
    progress_ = LoadChildProgress(idChild_);
    QString title = QStringLiteral("Andamento di ") + progress_.ChildName;
    if (progress_.DateOfBirth != 0.0)
        title += QStringLiteral(" (nato/a il %1)").arg(FormatShortDate(progress_.DateOfBirth));
    title_->setText(title);
    const bool any = !progress_.Compilations.empty();
    empty_->setVisible(!any);
    chartView_->setVisible(any);
    table_->setVisible(any);
    exportPdf_->setEnabled(any);
    FillTable();
    FillChart();
}

void TFormChildProgress::FillTable()
{
    const TProgressTable table = MakeProgressTable(progress_);
    table_->clear();
    table_->setColumnCount(table.Headers.size());
    table_->setHorizontalHeaderLabels(table.Headers);
    table_->setRowCount(static_cast<int>(table.Rows.size()));
    for (int r = 0; r < static_cast<int>(table.Rows.size()); ++r) {
        for (int c = 0; c < static_cast<int>(table.Rows[r].size()); ++c) {
            const TProgressCell& cell = table.Rows[r][c];
            auto* item = new QTableWidgetItem(cell.Text);
            if (c >= table.FirstPointsColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (cell.Direction > 0)
                item->setForeground(kUp);
            else if (cell.Direction < 0)
                item->setForeground(kDown);
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    // The description takes what is left; a long one is cut, not the points.
    table_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    if (table_->rowCount() > 0)
        table_->selectRow(table_->rowCount() - 1);
}

void TFormChildProgress::FillChart()
{
    if (!chart_)
        return;
    TProgressChartData data;
    data.Locale = RegionalLocale();
    double most = 1.0;
    qint64 first = 0, last = 0;
    for (int a = 0; a < progress_.AreaNames.size(); ++a) {
        if (a >= static_cast<int>(progress_.AreaHasQuestions.size()) || !progress_.AreaHasQuestions[a])
            continue;
        TProgressChartData::TLine line;
        line.Name = progress_.AreaNames[a];
        for (const TCompilationResult& compilation : progress_.Compilations) {
            const qint64 when = QDateTimeFromDateTime(compilation.Header.Date).toMSecsSinceEpoch();
            const double points = a < static_cast<int>(compilation.Score.Areas.size()) ? compilation.Score.Areas[a].Points : 0.0;
            line.Points.append(QPointF(static_cast<qreal>(when), points));
            most = std::max(most, points);
            first = first == 0 ? when : std::min(first, when);
            last = std::max(last, when);
        }
        data.Lines.append(line);
    }
    // One compilation, or all on one day, still get an axis to stand on.
    constexpr qint64 kDay = 24LL * 3600 * 1000;
    if (last - first < 2 * kDay) {
        first -= 15 * kDay;
        last += 15 * kDay;
    } else {
        // The first and last markers whole, not cut by the frame.
        const qint64 margin = (last - first) / 25;
        first -= margin;
        last += margin;
    }
    data.First = first;
    data.Last = last;
    data.DateTicks = std::clamp(static_cast<int>(progress_.Compilations.size()) + 1, 3, 7);
    data.Most = most;
    chart_->Draw(data);
}

QImage TFormChildProgress::ChartImage() const
{
    if (progress_.Compilations.empty() || !chart_)
        return QImage();
    // Drawn at three times the window's size, for a sharp print.
    constexpr int kScale = 3;
    const QSize size = chartView_->size().expandedTo(QSize(600, 300));
    if (chartView_->size() != size)
        chartView_->resize(size);
    QImage image(size * kScale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kScale, kScale);
    chartView_->QWidget::render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.end();
    return image;
}

void TFormChildProgress::TableDoubleClicked(int row)
{
    if (row < 0 || row >= static_cast<int>(progress_.Compilations.size()))
        return;
    const int key = progress_.Compilations[row].Header.IDCompiledTable;
    try {
        // The editor works on a row of the compilations list's query.
        auto recordset = TDatabase::GetInstance()->OpenRecordset(
            QStringLiteral("SELECT CompiledTables.*, Children.Name, Teachers.Name FROM Teachers INNER JOIN (Children "
                           "INNER JOIN CompiledTables ON Children.IDChild = CompiledTables.IDChild) ON "
                           "Teachers.IDTeacher = CompiledTables.IDTeacher WHERE CompiledTables.IDCompiledTable=")
            + QString::number(key));
        if (recordset->Eof())
            throw Exception(QStringLiteral("La compilazione non esiste pi\u00f9."));
        TFormTableEdit editor(this, *recordset, true);
        editor.exec();
    } catch (const Exception& e) {
        WarningBox(this, ChildProgressFailedText() + e.Message());
    }
    try {
        Reload();
    } catch (const Exception& e) {
        WarningBox(this, ChildProgressFailedText() + e.Message());
    }
    for (int r = 0; r < static_cast<int>(progress_.Compilations.size()); ++r)
        if (progress_.Compilations[r].Header.IDCompiledTable == key)
            table_->selectRow(r);
}

void TFormChildProgress::BitBtnExportPdfClick()
{
    const QString suggested = QStringLiteral("Andamento - %1.pdf").arg(progress_.ChildName);
    const QString fileName = GetSaveFileName(this, QStringLiteral("Esporta l'andamento in PDF"),
                                             QStringLiteral("File PDF (*.pdf)"), QStringLiteral("pdf"), suggested);
    if (fileName.isEmpty())
        return;
    try {
        TWaitCursor wait;
        const QString school = TDatabase::GetInstance()->Lookup(QStringLiteral("SELECT School FROM Application"),
                                                                QStringLiteral("School"));
        SavePdf(fileName, ProgressPdf(progress_, school, ChartImage()));
    } catch (const Exception& e) {
        WarningBox(this, PdfNotWrittenText() + e.Message());
    }
}
