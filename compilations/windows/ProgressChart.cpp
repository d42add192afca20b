#include "ProgressChart.h"

#include "ProgramModule.h"

#include <QDir>

TProgressChart* MakeProgressChart(QWidget* parent, QString& error)
{
    const TModuleEntry module = LoadModuleEntry(
        kChartModuleVariable, QStringLiteral(BALTERO_CHART_MODULE_FROM_PROGRAM), "BalteroMakeProgressChart");
    if (module.Missing) {
        error = QStringLiteral("Il grafico non si pu\u00f2 mostrare: manca il modulo dei grafici (%1). "
                               "Reinstallare Baltero.")
                    .arg(QDir::toNativeSeparators(module.File));
        return nullptr;
    }
    if (!module.Function) {
        error = QStringLiteral("Il grafico non si pu\u00f2 mostrare: il modulo dei grafici non si carica (%1). "
                               "Reinstallare Baltero.")
                    .arg(module.Reason);
        return nullptr;
    }
    return reinterpret_cast<decltype(&BalteroMakeProgressChart)>(module.Function)(parent);
}
