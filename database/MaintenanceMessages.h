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

// The school's own password (Strumenti > Proteggi con password..., Cambia
// password..., Rimuovi password; baltero-db set-password).
constexpr int MinimumPasswordLength = 10;
inline QString NewPasswordTitle() { return QStringLiteral("Password del database"); }
inline QString NewPasswordWarningText()
{
    return QStringLiteral("Scegliere una password di almeno %1 caratteri e scriverla due volte.\n\n"
                          "ATTENZIONE: una password dimenticata non si pu\u00f2 recuperare. Senza di essa "
                          "nessuno, nemmeno l'assistenza, potr\u00e0 pi\u00f9 aprire il database: i dati "
                          "andrebbero perduti. Conservarla in un luogo sicuro.")
        .arg(MinimumPasswordLength);
}
// Why a new password is refused; empty when it is accepted.
inline QString NewPasswordProblem(const QString& password, const QString& repeated)
{
    if (password.size() < MinimumPasswordLength)
        return QStringLiteral("La password deve avere almeno %1 caratteri.").arg(MinimumPasswordLength);
    if (password != repeated)
        return QStringLiteral("Le due password scritte non sono uguali.");
    return QString();
}
inline QString RemovePasswordQuestionText()
{
    return QStringLiteral("Togliere la password? Il database torner\u00e0 a essere cifrato con la chiave "
                          "interna del programma: chiunque abbia il programma e una copia del file potr\u00e0 "
                          "leggerne i dati. Proseguire?");
}
// Compaction of a database on the school's server.
inline QString ServerCompactDoneText()
{
    return QStringLiteral("Il database della scuola \u00e8 sul server: il server ha recuperato lo spazio dei dati "
                          "eliminati e aggiornato le sue statistiche. Le copie di sicurezza del database sul "
                          "server sono compito del suo amministratore.");
}
// The server lets only the owner of the tables or of the database vacuum them.
inline QString ServerCompactNotOwnerText()
{
    return QStringLiteral("Sul server solo l'amministratore del database (il proprietario delle tabelle) pu\u00f2 "
                          "compattarlo: chiedere a lui di farlo.");
}
inline QString PasswordStatusText() { return QStringLiteral("Cifratura del database in corso..."); }
inline QString PasswordSetText()
{
    return QStringLiteral("La password \u00e8 stata impostata: da ora il database si apre solo con essa. Le copie "
                          "di sicurezza fatte prima restano con la password precedente.");
}
inline QString PasswordRemovedText()
{
    return QStringLiteral("La password \u00e8 stata tolta: il database si apre di nuovo senza chiederla.");
}
inline QString PasswordChangeFailedText()
{
    return QStringLiteral("ATTENZIONE: la password non \u00e8 stata cambiata; il database \u00e8 rimasto com'era, "
                          "con la password di prima.\r\n\r\nEccezione: ");
}
// The prompt at start-up when the built-in key does not open the file, and
// the end of the start after the last try.
inline QString PasswordPromptText()
{
    return QStringLiteral("Il database non si apre con la chiave interna del programma: \u00e8 protetto da una "
                          "password (oppure \u00e8 danneggiato).\nPassword del database:");
}
inline QString CopyPasswordPromptText(const QString& copy)
{
    return QStringLiteral("La copia \"%1\" ha una password diversa da quella del database.\nPassword della copia:")
        .arg(copy);
}
inline QString WrongPasswordText()
{
    return QStringLiteral("la password non \u00e8 corretta.");
}
inline QString PasswordNotGivenText()
{
    return QStringLiteral("la password non \u00e8 stata inserita.");
}
inline QString CurrentPasswordPromptText() { return QStringLiteral("Password attuale del database:"); }

// What an open found of a password change or a restore that was cut short.
inline QString PasswordChangeUndoneText()
{
    return QStringLiteral("Il cambio della password del database era stato interrotto prima della fine: il "
                          "database \u00e8 rimasto com'era e si apre con la password di prima.");
}
inline QString PasswordChangeCompletedText()
{
    return QStringLiteral("Il cambio della password del database era stato interrotto alla fine ed \u00e8 stato "
                          "completato: il database si apre con la nuova password.");
}
inline QString RestoreUndoneText()
{
    return QStringLiteral("Il ripristino da una copia era stato interrotto prima della fine: il database \u00e8 "
                          "rimasto com'era.");
}
inline QString RestoreCompletedText(const QString& backup)
{
    return QStringLiteral("Il ripristino da una copia era stato interrotto alla fine ed \u00e8 stato completato: "
                          "il database \u00e8 quello della copia. Il database precedente \u00e8 conservato in \"%1\".")
        .arg(backup);
}

// Backups (Strumenti > Copia di sicurezza...; baltero-db backup).
constexpr int BackupReminderDays = 30;
inline QString BackupFolderTitle() { return QStringLiteral("Cartella in cui salvare la copia di sicurezza"); }
inline QString BackupStatusText() { return QStringLiteral("Copia di sicurezza in corso..."); }
inline QString BackupDoneText(const QString& copy)
{
    return QStringLiteral("Copia di sicurezza eseguita e verificata:\r\n%1\r\n\r\nLa copia ha la stessa password "
                          "del database.")
        .arg(copy);
}
inline QString BackupFailedText()
{
    return QStringLiteral("ATTENZIONE: la copia di sicurezza non \u00e8 stata fatta; nella cartella scelta non "
                          "\u00e8 rimasto alcun file incompleto.\r\n\r\nEccezione: ");
}
inline QString BackupReminderText(int days)
{
    if (days < 0)
        return QStringLiteral("Non \u00e8 ancora stata fatta una copia di sicurezza del database. Farla ora (per "
                              "esempio su una chiavetta USB)?");
    return QStringLiteral("L'ultima copia di sicurezza del database risale a %1 giorni fa. Farne una ora (per "
                          "esempio su una chiavetta USB)?")
        .arg(days);
}

// Restoring (Strumenti > Ripristina da copia...; baltero-db restore).
inline QString RestoreFileTitle() { return QStringLiteral("Copia di sicurezza da ripristinare"); }
inline QString RestoreFileFilter()
{
    return QStringLiteral("Copie del database (*.mdb *.mdbbak);;Tutti i file (*)");
}
inline QString RestoreQuestionText(const QString& copy, int children, int compilations, const QString& latest)
{
    return QStringLiteral("La copia \"%1\" contiene %2 bambini e %3 compilazioni%4.\r\n\r\nRipristinandola, i dati "
                          "attuali verranno sostituiti da quelli della copia; il database attuale viene conservato "
                          "accanto con un nome datato. Proseguire?")
        .arg(copy)
        .arg(children)
        .arg(compilations)
        .arg(latest.isEmpty() ? QString() : QStringLiteral(" (l'ultima del %1)").arg(latest));
}
inline QString RestoreStatusText() { return QStringLiteral("Ripristino in corso..."); }
inline QString RestoreDoneText(const QString& previous)
{
    return QStringLiteral("Ripristino eseguito. Il database precedente \u00e8 conservato in:\r\n%1").arg(previous);
}
inline QString RestoreFailedText()
{
    return QStringLiteral("ATTENZIONE: il ripristino non \u00e8 stato eseguito; il database \u00e8 rimasto "
                          "com'era.\r\n\r\nEccezione: ");
}
inline QString CopyDamagedText() { return QStringLiteral("la copia \u00e8 danneggiata: "); }
inline QString CopyNotOursText() { return QStringLiteral("il file non \u00e8 un database di Baltero: "); }
inline QString CopyIsTheDatabaseText()
{
    return QStringLiteral("il file scelto \u00e8 il database in uso, non una sua copia.");
}
