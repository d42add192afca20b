#include "ProgressChart.h"

#include "ProgramModule.h"

TProgressChart* MakeProgressChart(QWidget* parent, QString& error)
{
    const TModuleEntry module = LoadModuleEntry(
        kChartModuleVariable, QStringLiteral(BALTERO_CHART_MODULE_FROM_PROGRAM), "BalteroMakeProgressChart");
    error = ModuleProblemText(
        module,
        QStringLiteral("Il grafico non si pu\u00f2 mostrare: manca il modulo dei grafici (%1). Reinstallare Baltero."),
        QStringLiteral("Il grafico non si pu\u00f2 mostrare: il modulo dei grafici non si carica (%1). "
                       "Reinstallare Baltero."));
    if (!module.Function)
        return nullptr;
    return reinterpret_cast<decltype(&BalteroMakeProgressChart)>(module.Function)(parent);
}
