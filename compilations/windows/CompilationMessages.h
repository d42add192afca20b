// The texts of the numbered messages of the compilation editor and of the
// compilations list.
#pragma once

#include <QString>

inline QString Message11300()
{
    return QStringLiteral("Eliminare la compilazione selezionata?");
}
inline QString Message11301()
{
    return QStringLiteral("ERRORE nell'aggiornamento dei dati.\r\n\r\nEccezione: ");
}
inline QString Message11302()
{
    return QStringLiteral("ERRORE nell'eliminazione della compilazione.\r\n\r\nEccezione: ");
}
inline QString Message11303()
{
    return QStringLiteral("ATTENZIONE: impossibile aggiungere una compilazione. Per farlo \u00e8 necessario che siano "
                          "presenti in archivio i dati relativi a bambini, educatori e domande.");
}
inline QString Message11304()
{
    return QStringLiteral("Attendere, salvataggio compilazione in corso...");
}
inline QString Message11305()
{
    return QStringLiteral("Creare una copia della compilazione selezionata?");
}
inline QString Message11306()
{
    return QStringLiteral("ERRORE nella duplicazione della compilazione.\r\n\r\nEccezione: ");
}
inline QString Message11307()
{
    return QStringLiteral("Attendere, duplicazione compilazione in corso...");
}
// A save refused because the compilation was saved from another computer
// after this window read it.
inline QString CompilationChangedText()
{
    return QStringLiteral("La compilazione \u00e8 stata modificata e salvata da un altro utente dopo che \u00e8 stata "
                          "aperta in questa finestra. Le modifiche fatte qui non sono state salvate, per non "
                          "cancellare le sue.");
}
inline QString ReloadChangedCompilationText()
{
    return QStringLiteral("\r\n\r\nRicaricare la compilazione come \u00e8 stata salvata? Le modifiche fatte in "
                          "questa finestra andranno perse.\r\n\r\nScegliere No per lasciare la finestra aperta "
                          "com'\u00e8.");
}
// The compilation was deleted from another computer.
inline QString CompilationDeletedText()
{
    return QStringLiteral("La compilazione \u00e8 stata eliminata da un altro utente: non pu\u00f2 pi\u00f9 essere "
                          "salvata. Nient'altro \u00e8 stato modificato.");
}
// A question of the questionnaire was deleted from another computer while
// the compilation was open: its answer has nowhere to go.
inline QString QuestionDeletedText()
{
    return QStringLiteral("Una o pi\u00f9 domande del questionario sono state eliminate da un altro utente dopo che "
                          "la compilazione \u00e8 stata aperta in questa finestra: la compilazione non \u00e8 stata "
                          "salvata e nient'altro \u00e8 stato modificato. Chiudere la finestra e riaprire la "
                          "compilazione.");
}
inline QString Message19001()
{
    return QStringLiteral("ATTENZIONE: sono state apportate delle modifiche. Chiudendo la finestra queste verranno "
                          "perse. Proseguire?");
}
inline QString Message21000()
{
    return QStringLiteral("Compilazione esportata con successo. La si desidera stampare?");
}
inline QString Message21001()
{
    return QStringLiteral("ATTENZIONE: errore nella creazione del file. Eccezione: ");
}
inline QString Message21002()
{
    return QStringLiteral("ATTENZIONE: una o pi\u00f9 domande sono senza risposta. Proseguire comunque?");
}

// What the child's age at the observation date proposes as start phase (the
// start-phase dialog and the area list say it).
inline QString AgeProposalText(int months, int idPhase)
{
    return QStringLiteral("Per l'et\u00e0 del bambino alla data dell'osservazione (%1 mesi) \u00e8 indicata la fase %2.")
        .arg(months)
        .arg(idPhase);
}
inline QString NoPhaseForAgeText(int months)
{
    return QStringLiteral("Nessuna fase \u00e8 indicata per l'et\u00e0 del bambino alla data dell'osservazione (%1 mesi).")
        .arg(months);
}

// The child's progress could not be read (the reason follows).
inline QString ChildProgressFailedText()
{
    return QStringLiteral("ATTENZIONE: impossibile leggere l'andamento del bambino. Eccezione: ");
}
// A PDF file could not be written (the reason follows).
inline QString PdfNotWrittenText()
{
    return QStringLiteral("ATTENZIONE: il file PDF non è stato scritto. Eccezione: ");
}
