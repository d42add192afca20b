// A school's whole database moved from one store to another (the file to a
// server or back), and the checks that work the same on either: row counts
// and references that lead nowhere.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

class TNyConnection;

// One of the program's tables: its columns and how each is read ('i' a
// number, 't' text, 'd' a date), in an order in which a table's rows only
// refer to tables before it.
struct TTableLayout {
    QString name;
    QStringList columns;
    QString kinds;
};
const std::vector<TTableLayout>& ProgramTables();

// The rows of every program table.
std::map<QString, int> TableRowCounts(TNyConnection& connection);

// One line for each reference that leads nowhere ("Questions.IDArea: righe
// che rimandano a un record inesistente di Areas: 2"); empty when all hold.
QStringList BrokenReferences(TNyConnection& connection);

// Copies every row of the program's tables, keys included, and the
// institute's name from source into target, whose layout must be the same
// and which must hold no register, questionnaire or compilation yet. One
// transaction of target: on any failure target is left as it was. Returns
// the rows copied per table, as counted in target afterwards.
std::map<QString, int> CopyDatabaseContents(TNyConnection& source, TNyConnection& target);
