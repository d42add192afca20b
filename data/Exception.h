// The exception family of the program: every failure travels as an Exception
// carrying the text that the windows show after their own message.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(const QString& message);
    ~Exception() override = default;

    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A file that cannot be created, written or renamed; the message is the
// platform's own description of the failure.
class EFileError : public Exception {
public:
    using Exception::Exception;
};

// The database file did not open with the key it was given: a wrong
// password, or a file that is no database of this engine at all (to the
// engine the two look alike). The message is the data-access message.
class EKeyRefused : public Exception {
public:
    using Exception::Exception;
};
