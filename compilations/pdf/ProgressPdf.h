// A child's progress as an A4 landscape PDF: the chart the window shows
// and its table.
#pragma once

#include "StoredScores.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// chart is the window's chart drawn as a picture (none when the child has no
// compilations).
QByteArray ProgressPdf(const TChildProgress& progress, const QString& school, const QImage& chart);
