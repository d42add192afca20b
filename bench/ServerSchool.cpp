#include "ServerSchool.h"

#include "NyConnection.h"
#include "NyQuery.h"
#include "SchemaVersion.h"
#include "SchoolData.h"
#include "ServerSchema.h"
#include "SqlText.h"

#include <QProcess>
#include <QStringList>

#include <libpq-fe.h>

#include <cstdio>
#include <stdexcept>

namespace {

const QString kClusterScript = QStringLiteral(BALTERO_SOURCE_DIR "/scripts/pg-test-cluster.sh");

void RunOnServer(const QString& connection, const QString& sql)
{
    TNyConnection server;
    server.Open(connection);
    server.Execute(sql);
}

bool DatabaseExists(const QString& connection, const QString& name)
{
    TNyConnection server;
    server.Open(connection);
    TNyQuery found(server, QStringLiteral("SELECT COUNT(*) FROM pg_catalog.pg_database WHERE datname = '%1'")
                               .arg(SQLQuote(name)));
    return found.Next() && found.Integer(0) > 0;
}

// Drops the database when it is there, whoever is connected to it.
void DropDatabase(const QString& connection, const QString& name)
{
    if (DatabaseExists(connection, name))
        RunOnServer(connection, QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name));
}

void Check(PGconn* conn, PGresult* result, ExecStatusType expected, const char* what)
{
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    if (status != expected)
        throw std::runtime_error(std::string(what) + ": " + PQerrorMessage(conn));
}

// Rows sent to the server with COPY, a megabyte at a time.
class TCopyWriter : public TSchoolWriter {
public:
    explicit TCopyWriter(PGconn* conn)
        : conn_(conn)
    {
    }

    void Table(const char* table, const std::vector<const char*>& columns) override
    {
        Finish();
        QByteArray sql = QByteArray("COPY ") + table + " (";
        for (size_t c = 0; c < columns.size(); ++c)
            sql += (c > 0 ? ", " : "") + QByteArray(columns[c]);
        sql += ") FROM STDIN";
        Check(conn_, PQexec(conn_, sql.constData()), PGRES_COPY_IN, sql.constData());
        copying_ = true;
    }

    void Row(const std::vector<QVariant>& values) override
    {
        for (size_t c = 0; c < values.size(); ++c) {
            if (c > 0)
                buffer_ += '\t';
            const QVariant& value = values[c];
            if (value.isNull()) {
                buffer_ += "\\N";
            } else if (value.typeId() == QMetaType::QByteArray) {
                for (const char ch : value.toByteArray()) {
                    switch (ch) {
                    case '\\': buffer_ += "\\\\"; break;
                    case '\t': buffer_ += "\\t"; break;
                    case '\n': buffer_ += "\\n"; break;
                    case '\r': buffer_ += "\\r"; break;
                    default: buffer_ += ch;
                    }
                }
            } else {
                buffer_ += QByteArray::number(value.toLongLong());
            }
        }
        buffer_ += '\n';
        if (buffer_.size() > (1 << 20))
            Flush();
    }

    void Finish() override
    {
        if (!copying_)
            return;
        Flush();
        copying_ = false;
        if (PQputCopyEnd(conn_, nullptr) != 1)
            throw std::runtime_error(std::string("COPY: ") + PQerrorMessage(conn_));
        Check(conn_, PQgetResult(conn_), PGRES_COMMAND_OK, "COPY");
        while (PGresult* rest = PQgetResult(conn_))
            PQclear(rest);
    }

private:
    void Flush()
    {
        if (!buffer_.isEmpty() && PQputCopyData(conn_, buffer_.constData(), static_cast<int>(buffer_.size())) != 1)
            throw std::runtime_error(std::string("COPY: ") + PQerrorMessage(conn_));
        buffer_.clear();
    }

    PGconn* conn_;
    QByteArray buffer_;
    bool copying_ = false;
};

} // namespace

TThrowAwayCluster::TThrowAwayCluster()
{
    QProcess script;
    script.start(kClusterScript, {QStringLiteral("start")});
    if (!script.waitForFinished(180000) || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
        throw std::runtime_error("no throw-away PostgreSQL cluster: "
                                 + script.readAllStandardError().trimmed().toStdString());
    // export NAME='value'
    for (const QString& line : QString::fromUtf8(script.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!line.startsWith(QLatin1String("export ")) || equals < 0)
            continue;
        const QString name = line.mid(7, equals - 7);
        QString value = line.mid(equals + 1);
        if (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2);
        if (name == QLatin1String("BALTERO_TEST_PG"))
            connection_ = value;
        else if (name == QLatin1String("BALTERO_TEST_PG_DIR"))
            folder_ = value;
    }
    if (connection_.isEmpty() || folder_.isEmpty())
        throw std::runtime_error("the throw-away PostgreSQL cluster did not say where it is");
}

TThrowAwayCluster::~TThrowAwayCluster()
{
    QProcess::execute(kClusterScript, {QStringLiteral("stop"), folder_});
}

QString WithDatabase(const QString& connection, const QString& database)
{
    QStringList pairs;
    for (const QString& pair : connection.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!pair.trimmed().toLower().startsWith(QLatin1String("database=")))
            pairs << pair;
    }
    pairs << QStringLiteral("Database=") + database;
    return pairs.join(QLatin1Char(';'));
}

QString ServerSchoolDatabase(const QString& connection, int compilations,
                             const std::function<void(TSchoolWriter&)>& fill)
{
    const QString name = QStringLiteral("baltero_bench_%1_v%2").arg(compilations).arg(NewestSchemaVersion());
    if (DatabaseExists(connection, name))
        return name;
    std::fprintf(stderr, "building the school's database on the server (%d compilations), once...\n", compilations);
    const QString building = name + QStringLiteral("_building");
    DropDatabase(connection, building);
    RunOnServer(connection, QStringLiteral("CREATE DATABASE %1").arg(building));
    {
        TNyConnection school;
        school.Open(WithDatabase(connection, building));
        CreateServerSchema(school);
        PGconn* conn = school.ServerHandle();
        Check(conn, PQexec(conn, "BEGIN"), PGRES_COMMAND_OK, "BEGIN");
        TCopyWriter writer(conn);
        fill(writer);
        Check(conn, PQexec(conn, "COMMIT"), PGRES_COMMAND_OK, "COMMIT");
        // What the planner knows and the visibility of every page, as after
        // a school's ordinary maintenance.
        Check(conn,
              PQexec(conn, "VACUUM (ANALYZE) Application, Children, Teachers, Areas, Phases, Questions, "
                           "CompiledTables, CompiledTablesAnswers, CompiledTablesStartPhase"),
              PGRES_COMMAND_OK, "VACUUM");
    }
    RunOnServer(connection, QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(building, name));
    return name;
}

TServerDatabase::TServerDatabase(const QString& connection, const QString& name, const QString& templateName)
    : server_(connection)
    , name_(name)
    , database_(WithDatabase(connection, name))
{
    DropDatabase(server_, name_);
    if (templateName.isEmpty()) {
        RunOnServer(server_, QStringLiteral("CREATE DATABASE %1").arg(name_));
        TNyConnection created;
        created.Open(database_);
        CreateServerSchema(created);
    } else {
        // The files copied as they are: seconds, not a new load.
        RunOnServer(server_,
                    QStringLiteral("CREATE DATABASE %1 TEMPLATE %2 STRATEGY FILE_COPY").arg(name_, templateName));
    }
}

TServerDatabase::~TServerDatabase()
{
    try {
        DropDatabase(server_, name_);
    } catch (...) {
        std::fprintf(stderr, "the benchmark's database %s is left on the server\n", qPrintable(name_));
    }
}
