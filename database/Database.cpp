#include "Database.h"

#include "Exception.h"
#include "IniFile.h"

#include <QFileInfo>

namespace {

TDatabase* instance = nullptr;

} // namespace

TDatabase* TDatabase::GetInstance()
{
    if (!instance)
        instance = new TDatabase();
    return instance;
}

void TDatabase::ReleaseInstance()
{
    if (!instance)
        return;
    if (instance->connected_)
        instance->Close();
    delete instance;
    instance = nullptr;
}

QString TDatabase::Password()
{
    return QStringLiteral("plumtrek");
}

void TDatabase::ReadConnectionString(const TIniFile& settings)
{
    connectionTemplate_ = settings.ReadString(QStringLiteral("DATABASE"), QStringLiteral("ConnectionString"), QString());
}

QString TDatabase::BuildConnectionString(const QString& connectionTemplate, const QString& path, const QString& password)
{
    QString text = connectionTemplate;
    text.replace(QLatin1String("%DATASOURCE%"), path, Qt::CaseSensitive);
    text.replace(QLatin1String("%PASSWORD%"), password, Qt::CaseSensitive);
    return text;
}

bool TDatabase::Open(const QString& path)
{
    // A folder is no database file either.
    if (!QFileInfo(path).isFile())
        throw Exception(QStringLiteral("File not found."));
    if (connected_)
        Close();
    fileName_ = path;
    try {
        connection_.Open(BuildConnectionString(connectionTemplate_, path, Password()));
    } catch (const Exception&) {
        // FileName names the open file only: nothing is open now.
        fileName_.clear();
        throw;
    }
    connected_ = true;
    return true;
}

bool TDatabase::Close()
{
    connected_ = false;
    fileName_.clear();
    connection_.Close();
    return true;
}

std::unique_ptr<TNyRecordset> TDatabase::OpenRecordset(const QString& sql)
{
    auto recordset = std::make_unique<TNyRecordset>(connection_);
    recordset->Open(sql);
    return recordset;
}

int TDatabase::Execute(const QString& sql)
{
    return connection_.Execute(sql);
}

QString TDatabase::Lookup(const QString& sql, const QString& column)
{
    try {
        auto recordset = OpenRecordset(sql);
        if (recordset->Eof())
            return QString();
        return recordset->GetFieldAsString(column);
    } catch (const Exception&) {
        return QString();
    }
}
