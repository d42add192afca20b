// The texts of the program's numbered messages.
#pragma once

#include <QString>

// Shown when the database cannot be opened at start-up; the exception's
// message follows it.
inline QString Message11002()
{
    return QStringLiteral("ATTENZIONE: connessione al database fallita! L'applicazione verr\u00e0 terminata.\r\n\r\nEccezione: ");
}

// The prompt of the institute name.
inline QString Message11100()
{
    return QStringLiteral("Inserire il nome dell'istituto scolastico:");
}

// The status-bar text while the program waits for the user.
inline QString Message20000()
{
    return QStringLiteral("Pronto.");
}

// The first start of an installed program made the user's files.
inline QString FirstStartText(const QString& database, const QString& backup, const QString& settings,
                              bool withExampleQuestionnaire)
{
    const QString content = withExampleQuestionnaire
        ? QStringLiteral("un nuovo database con il questionario di esempio")
        : QStringLiteral("un nuovo database vuoto (il questionario di esempio non \u00e8 stato trovato: un "
                         "questionario si importa con il comando \"Importa lista domande\" del menu Strumenti)");
    return QStringLiteral("Benvenuti! \u00c8 stato creato %1.\r\n\r\nDatabase: %2\r\nCopia di sicurezza "
                          "(fatta a ogni compattazione): %3\r\nImpostazioni: %4")
        .arg(content, database, backup, settings);
}

// The first start of an installed program could not make the user's files;
// the reason follows.
inline QString UserFilesNotCreatedText()
{
    return QStringLiteral("ATTENZIONE: non \u00e8 stato possibile creare il database e le impostazioni. "
                          "L'applicazione verr\u00e0 terminata.\r\n\r\nEccezione: ");
}

// The user guide is not beside the program.
inline QString Message23001()
{
    return QStringLiteral("ATTENZIONE: il manuale d'uso non \u00e8 stato trovato.");
}

// A second copy of the program was started.
inline QString AlreadyRunningText()
{
    return QStringLiteral("L'applicazione \u00e8 gi\u00e0 in esecuzione!");
}

// The institute name did not fit: the text box keeps what was typed.
inline QString SchoolNameTooLongText(int maxLength)
{
    return QStringLiteral("ATTENZIONE: il nome dell'istituto pu\u00f2 contenere al massimo %1 caratteri.").arg(maxLength);
}

// The database file or its folder cannot be written: the program goes on,
// but nothing the user changes can be saved.
inline QString DatabaseReadOnlyText(const QString& path)
{
    return QStringLiteral("ATTENZIONE: il database \u00e8 in sola lettura (il file o la sua cartella non possono "
                          "essere modificati): le modifiche non potranno essere salvate.\r\n\r\nFile: ")
        + path;
}

// The engine's quick check found damaged pages; the detail follows.
inline QString DatabaseDamagedText(const QString& detail)
{
    return QStringLiteral("ATTENZIONE: il database risulta danneggiato. Usare il comando \"Compatta e ripristina "
                          "database\" del menu Strumenti per ripararlo.\r\n\r\nDettagli: ")
        + detail;
}

// The settings file could not be written at the end of the run: the file
// stays as it was and this run's choice of options is lost.
inline QString SettingsNotSavedText(const QString& detail)
{
    return QStringLiteral("ATTENZIONE: non \u00e8 stato possibile salvare le impostazioni; il file delle "
                          "impostazioni \u00e8 rimasto com'era.\r\n\r\nDettagli: ")
        + detail;
}

// The school's data export (Strumenti > Esporta dati (CSV)...).
inline QString ExportDataFolderTitle()
{
    return QStringLiteral("Cartella in cui scrivere i dati della scuola (CSV)");
}
inline QString ExportDataProgressText(int done, int total)
{
    return QStringLiteral("Attendere, esportazione dei dati in corso... (%1 di %2 compilazioni)").arg(done).arg(total);
}
inline QString ExportDataDoneText(const QString& folder)
{
    return QStringLiteral("Dati esportati nella cartella %1: bambini.csv, educatori.csv, compilazioni.csv e "
                          "risposte.csv.").arg(folder);
}
// Nothing was written (the reason follows): the files there are as they were.
inline QString ExportDataFailedText()
{
    return QStringLiteral("ATTENZIONE: i dati non sono stati esportati; i file della cartella sono rimasti "
                          "com'erano. Eccezione: ");
}
