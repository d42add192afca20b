// The numbered messages of the register and questionnaire windows.
//
// Texts that end in "Eccezione: " are followed directly by the message of the
// exception that caused them.
#pragma once

#include <QString>

// Children and educators.
inline QString Message11003()
{
    return QStringLiteral("ERRORE nell'aggiornamento dei dati, verificare che non ci sia gi\u00e0 un bambino con il nome inserito.\r\n\r\nEccezione: ");
}
// Shown instead of the id of a record the database has not numbered yet.
inline QString Message11004()
{
    return QStringLiteral("-");
}
inline QString Message11005()
{
    return QStringLiteral("Eliminare dall'archivio il bambino selezionato?\r\n\r\nNota: verranno eliminate anche tutte le compilazioni legate al bambino.");
}
inline QString Message11006()
{
    return QStringLiteral("Eliminare dall'archivio l'educatore selezionato?\r\n\r\nNota: verranno eliminate anche tutte le compilazioni legate all'educatore.");
}
inline QString Message11007()
{
    return QStringLiteral("ERRORE nell'aggiornamento dei dati, verificare che non ci sia gi\u00e0 un educatore con il nome inserito.\r\n\r\nEccezione: ");
}
inline QString Message11008()
{
    return QStringLiteral("ERRORE nell'eliminazione del record.\r\n\r\nEccezione: ");
}

// Areas and phases.
inline QString Message11009()
{
    return QStringLiteral("Eliminare l'area selezionata?");
}
inline QString Message11010()
{
    return QStringLiteral("ERRORE nell'aggiornamento dei dati, verificare che non ci sia gi\u00e0 un'area con lo stesso ID.\r\n\r\nEccezione: ");
}
// Shown instead of 11010 when the description is the one of another area.
inline QString RepeatedAreaDescriptionText()
{
    return QStringLiteral("ERRORE nell'aggiornamento dei dati, verificare che non ci sia gi\u00e0 un'area con la stessa descrizione.\r\n\r\nEccezione: ");
}
inline QString Message11011()
{
    return QStringLiteral("ERRORE nell'eliminazione dell'area. Se l'area \u00e8 utilizzata nel questionario non pu\u00f2 essere eliminata.\r\n\r\nEccezione: ");
}
inline QString Message11012()
{
    return QStringLiteral("Eliminare la fase selezionata?");
}
inline QString Message11013()
{
    return QStringLiteral("ERRORE nell'aggiornamento dei dati, verificare che non ci sia gi\u00e0 una fase con lo stesso ID.\r\n\r\nEccezione: ");
}
// Shown instead of 11013 when the description is the one of another phase.
inline QString RepeatedPhaseDescriptionText()
{
    return QStringLiteral("ERRORE nell'aggiornamento dei dati, verificare che non ci sia gi\u00e0 una fase con la stessa descrizione.\r\n\r\nEccezione: ");
}
// The ages a phase is meant for go from "da" to "a" mesi, at most this many.
inline constexpr int MaxPhaseAgeMonths = 999;
// The phase's age range ends before it begins: the dialog stays open.
inline QString PhaseAgeRangeReversedText(int from, int to)
{
    return QStringLiteral("ATTENZIONE: l'et\u00e0 finale (%2 mesi) non pu\u00f2 essere minore di quella iniziale "
                          "(%1 mesi).")
        .arg(from)
        .arg(to);
}
inline QString Message11014()
{
    return QStringLiteral("ERRORE nell'eliminazione della fase. Se la fase \u00e8 utilizzata nel questionario non pu\u00f2 essere eliminata.\r\n\r\nEccezione: ");
}

// Questions.
inline QString Message11200()
{
    return QStringLiteral("Eliminare la domanda selezionata?");
}
inline QString Message11201()
{
    return QStringLiteral("ERRORE nell'aggiornamento dei dati.\r\n\r\nEccezione: ");
}
inline QString Message11202()
{
    return QStringLiteral("ERRORE nell'eliminazione della domanda. Se la domanda \u00e8 utilizzata in una compilazione non pu\u00f2 essere eliminata.\r\n\r\nEccezione: ");
}
inline QString Message11203()
{
    return QStringLiteral("ATTENZIONE: impossibile aggiungere una domanda. Per farlo \u00e8 necessario che siano presenti in archivio i dati relativi ad aree e fasi.");
}
