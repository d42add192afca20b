// The program's single database object: it knows the connection string
// template, owns the one TNyConnection and lends it to everyone.
#pragma once

#include "NyConnection.h"
#include "NyRecordset.h"

#include <QString>
#include <memory>

class TIniFile;

class TDatabase {
public:
    static TDatabase* GetInstance();
    static void ReleaseInstance();

    // Sets the template from [DATABASE] ConnectionString; empty when absent.
    void ReadConnectionString(const TIniFile& settings);
    // "File not found." when no file is at the path; otherwise the
    // connection's data-access exception when the file does not open.
    bool Open(const QString& path);
    bool Close();

    // The caller owns the recordset.
    std::unique_ptr<TNyRecordset> OpenRecordset(const QString& sql);
    int Execute(const QString& sql);
    // The column of the first row, or empty text; never raises.
    QString Lookup(const QString& sql, const QString& column);

    TNyConnection& Connection() { return connection_; }
    const QString& ConnectionTemplate() const { return connectionTemplate_; }
    void SetConnectionTemplate(const QString& connectionTemplate) { connectionTemplate_ = connectionTemplate; }
    const QString& FileName() const { return fileName_; }
    bool Connected() const { return connected_; }

    // The template with every "%DATASOURCE%" replaced by the path, then
    // every "%PASSWORD%" by the password (exact, case-sensitive matches).
    static QString BuildConnectionString(const QString& connectionTemplate, const QString& path,
                                         const QString& password);
    // The built-in password of the program's database file.
    static QString Password();

private:
    TDatabase() = default;

    QString connectionTemplate_;
    QString fileName_;
    bool connected_ = false;
    TNyConnection connection_;
};
