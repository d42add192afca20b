// Readable texts in failure reports, and the message of an expected failure.
#pragma once

#include "Exception.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '[';
    for (qsizetype i = 0; i < texts.size(); ++i)
        *out << (i ? ", \"" : "\"") << texts[i].toStdString() << '"';
    *out << ']';
}

// The message of the Exception that action raises; a test failure when it
// raises none.
template <typename Action>
QString MessageOf(Action action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    ADD_FAILURE() << "no exception was raised";
    return QString();
}
