// TFormChildProgress: "Andamento del bambino", a child's compilations over
// time: a table of the dates, ages, educators and points of each area with
// the change from the previous compilation, and a chart of each area's
// points against the date. A double-click opens the compilation in the
// editor; "Esporta PDF..." writes table and chart to a PDF file.
#pragma once

#include "StoredScores.h"

#include <QDialog>
#include <QImage>

class TProgressChart;
class QLabel;
class QPushButton;
class QTableWidget;

class TFormChildProgress : public QDialog {
    Q_OBJECT

public:
    // Raises the data-access exception when the child's compilations cannot
    // be read.
    TFormChildProgress(QWidget* owner, int idChild);
    ~TFormChildProgress() override;

    const TChildProgress& Progress() const { return progress_; }
    QTableWidget* Table() const { return table_; }
    // The chart, or in its place the message that says why it is missing.
    QWidget* ChartView() const { return chartView_; }
    // The chart as the PDF shows it; a null image without compilations or
    // without the chart.
    QImage ChartImage() const;

    // Opens the child's progress window, modal to owner; a failure to read
    // is told to the user.
    static void Show(QWidget* owner, int idChild);

public slots:
    void TableDoubleClicked(int row);
    void BitBtnExportPdfClick();

private:
    void Reload();
    void FillTable();
    void FillChart();

    int idChild_;
    TChildProgress progress_;
    QLabel* title_ = nullptr;
    QLabel* empty_ = nullptr;
    QWidget* chartView_ = nullptr;
    // The chart module's widget (chartView_ when it loaded), or nullptr.
    TProgressChart* chart_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* exportPdf_ = nullptr;
};
