// The chart of a child's progress window: each area's points against the
// date. Drawn by Qt Charts, which brings Qt's OpenGL and the GL libraries
// with it; so it lives in a module of its own (baltero-chart), loaded when
// the first progress window opens, and a start that never shows one does
// not map those libraries.
#pragma once

#include <QList>
#include <QLocale>
#include <QPointF>
#include <QString>
#include <QWidget>

// What the chart shows, worked out by the window.
struct TProgressChartData {
    struct TLine {
        QString Name;
        // Points: x the date in milliseconds since the epoch, y the points.
        QList<QPointF> Points;
    };
    QList<TLine> Lines;
    // The date axis's range (milliseconds since the epoch) and ticks.
    qint64 First = 0;
    qint64 Last = 0;
    int DateTicks = 3;
    // The points axis runs from 0 to this.
    double Most = 1.0;
    // How the axes write numbers ("2,5").
    QLocale Locale;
};

// The chart's widget, made by the module.
class TProgressChart : public QWidget {
public:
    using QWidget::QWidget;
    // Replaces what the chart shows.
    virtual void Draw(const TProgressChartData& data) = 0;
};

// The module's one entry point (defined in ProgressChartView.cpp).
extern "C" TProgressChart* BalteroMakeProgressChart(QWidget* parent);

// The environment variable that names the module's file instead of its
// place beside the program (the build's tests use it).
inline constexpr char kChartModuleVariable[] = "BALTERO_CHART_MODULE";

// Makes the chart through the module, loaded on first use. Gives nullptr
// with an Italian message in error when the module is missing or does not
// load.
TProgressChart* MakeProgressChart(QWidget* parent, QString& error);
