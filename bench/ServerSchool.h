// The school on a PostgreSQL server for the benchmark: a throw-away cluster
// when no server is given, the school's database built once on the server
// and kept there, and a copy of it for each run to work on.
#pragma once

#include <QString>
#include <functional>

class TSchoolWriter;

// A cluster of scripts/pg-test-cluster.sh in a temporary folder, stopped
// when this is destroyed. Raises std::runtime_error when it cannot start.
class TThrowAwayCluster {
public:
    TThrowAwayCluster();
    ~TThrowAwayCluster();
    TThrowAwayCluster(const TThrowAwayCluster&) = delete;
    TThrowAwayCluster& operator=(const TThrowAwayCluster&) = delete;

    // A connection string for a role that may create databases.
    const QString& Connection() const { return connection_; }

private:
    QString connection_;
    QString folder_;
};

// The connection string with its Database key replaced.
QString WithDatabase(const QString& connection, const QString& database);

// The name of the school's database on the server of connection (whose role
// may create databases), built when missing: the program's schema, then the
// rows fill writes, loaded with COPY in one transaction. A database of this
// name exists only complete: it is built under another name and renamed.
QString ServerSchoolDatabase(const QString& connection, int compilations,
                             const std::function<void(TSchoolWriter&)>& fill);

// A new database on the server, a copy of template (or, without one, holding
// only the program's schema), dropped when this is destroyed.
class TServerDatabase {
public:
    TServerDatabase(const QString& connection, const QString& name, const QString& templateName = QString());
    ~TServerDatabase();
    TServerDatabase(const TServerDatabase&) = delete;
    TServerDatabase& operator=(const TServerDatabase&) = delete;

    // Its connection string.
    const QString& Connection() const { return database_; }

private:
    QString server_;
    QString name_;
    QString database_;
};
