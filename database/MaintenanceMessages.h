// The texts of the two maintenance commands, shared by the main window's
// Strumenti menu and baltero-db so both report alike.
#pragma once

#include <QString>

// Compaction: the confirmation question, the status text while it runs
// (message 20001), the notice of success and the warning that the
// exception's message follows.
inline QString CompactQuestionText()
{
    return QStringLiteral(
        "Questa operazione compatta e verifica i dati presenti nel database. E' consigliato eseguirla "
        "periodicamente per ottimizzare le funzionalit\u00e0 del software. In caso di problemi, il database "
        "originario viene salvato con estensione .mdbbak e pu\u00f2 quindi essere facilmente recuperato. "
        "Proseguire?");
}
inline QString CompactStatusText() { return QStringLiteral("Compattazione in corso..."); }
inline QString CompactDoneText() { return QStringLiteral("Compattazione eseguita con successo."); }
inline QString CompactFailedText()
{
    return QStringLiteral("ATTENZIONE: Impossibile compattare il database.\r\n\r\nEccezione: ");
}

// Import: the confirmation question (message 19000), the file dialog's
// title and filter, the status text while it runs (message 20002) and the
// warning that the exception's message follows.
inline QString ImportQuestionText()
{
    return QStringLiteral(
        "ATTENZIONE: eseguendo l'importazione le domande attualmente presenti verranno cancellate! "
        "Inoltre l'importazione non pu\u00f2 avvenire se sono gi\u00e0 presenti delle compilazioni. Proseguire?");
}
inline QString ImportDialogTitle() { return QStringLiteral("Selezione file domande"); }
// In Qt's filter syntax: the first entry is the one selected.
inline QString ImportDialogFilter()
{
    return QStringLiteral("File domande di Baltero 1.x (*.ini);;Tutti i file (*)");
}
inline QString ImportStatusText() { return QStringLiteral("Importazione in corso..."); }
inline QString ImportFailedText()
{
    return QStringLiteral("ATTENZIONE: Errore nell'importazione delle domande.\r\n\r\nEccezione: ");
}
