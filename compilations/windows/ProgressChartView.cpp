// The progress chart drawn with Qt Charts: the code of the baltero-chart
// module.
#include "ProgressChart.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <QVBoxLayout>

#include <cmath>
#include <iterator>

namespace {

// The colours of the lines, told apart also in print.
const QColor kAreaColours[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                               QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                               QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f)};

class TProgressChartView final : public TProgressChart {
public:
    explicit TProgressChartView(QWidget* parent)
        : TProgressChart(parent)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        view_ = new QChartView(this);
        view_->setRenderHint(QPainter::Antialiasing);
        layout->addWidget(view_);
    }

    void Draw(const TProgressChartData& data) override
    {
        auto* chart = new QChart;
        chart->setTitle(QStringLiteral("Punti per area"));
        chart->legend()->setAlignment(Qt::AlignRight);
        // "2,5" on the axis, as everywhere else in the program.
        chart->setLocalizeNumbers(true);
        chart->setLocale(data.Locale);
        auto* axisX = new QDateTimeAxis;
        axisX->setFormat(QStringLiteral("dd/MM/yyyy"));
        axisX->setTitleText(QStringLiteral("Data"));
        auto* axisY = new QValueAxis;
        axisY->setTitleText(QStringLiteral("Punti"));
        axisY->setLabelFormat(QStringLiteral("%.1f"));
        chart->addAxis(axisX, Qt::AlignBottom);
        chart->addAxis(axisY, Qt::AlignLeft);

        for (int colour = 0; colour < data.Lines.size(); ++colour) {
            auto* line = new QLineSeries;
            line->setName(data.Lines[colour].Name);
            QPen pen(kAreaColours[colour % std::size(kAreaColours)], 2);
            // Beyond the palette the lines are dashed, to stay apart.
            if (colour >= static_cast<int>(std::size(kAreaColours)))
                pen.setStyle(Qt::DashLine);
            line->setPen(pen);
            line->setPointsVisible(true);
            line->setMarkerSize(7);
            line->append(data.Lines[colour].Points);
            chart->addSeries(line);
            line->attachAxis(axisX);
            line->attachAxis(axisY);
        }
        axisX->setRange(QDateTime::fromMSecsSinceEpoch(data.First), QDateTime::fromMSecsSinceEpoch(data.Last));
        axisX->setTickCount(data.DateTicks);
        axisY->setRange(0, std::ceil(data.Most));
        axisY->applyNiceNumbers();

        QChart* old = view_->chart();
        view_->setChart(chart);
        delete old;
    }

private:
    QChartView* view_ = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT TProgressChart* BalteroMakeProgressChart(QWidget* parent)
{
    return new TProgressChartView(parent);
}
