#include "DateEntry.h"

#include "DateTime.h"
#include "Dialogs.h"
#include "Regional.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

bool IsDateCharacter(QChar c)
{
    return c.isDigit() || c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

std::optional<QDate> Refuse(QWidget* owner, TDateEntry* entry, const QString& text)
{
    WarningBox(owner, text);
    entry->setFocus();
    entry->selectAll();
    return std::nullopt;
}

} // namespace

TDateEntry::TDateEntry(QWidget* parent)
    : QDateEdit(parent)
{
    setLocale(RegionalLocale());
    setDisplayFormat(RegionalShortDateFormat());
    setCalendarPopup(true);
    setMinimumDate(QDate(100, 1, 1));
    // The text becomes a date when the typing ends, never half-way: a picker
    // reading "31/02/2023" as it changes makes a date of its own.
    setKeyboardTracking(false);
}

void TDateEntry::ConnectCalendar()
{
    // The calendar is built the first time the user reaches for it, by mouse
    // or key: built with the field, it would cost every window with a date
    // field a noticeable part of its opening time and memory.
    if (calendarConnected_)
        return;
    calendarConnected_ = true;
    // A date picked in the calendar replaces a refused text, even the date
    // the field held before.
    connect(calendarWidget(), &QCalendarWidget::clicked, this, [this] { refused_.clear(); });
    connect(calendarWidget(), &QCalendarWidget::activated, this, [this] { refused_.clear(); });
}

void TDateEntry::mousePressEvent(QMouseEvent* event)
{
    ConnectCalendar();
    QDateEdit::mousePressEvent(event);
}

std::optional<QDate> TDateEntry::EnteredDate() const
{
    if (typing_)
        return DateFromTypedText(typed_);
    if (!refused_.isEmpty())
        return std::nullopt;
    return date();
}

void TDateEntry::keyPressEvent(QKeyEvent* event)
{
    ConnectCalendar();
    const QString text = event->text();
    const bool plain = !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    // The picker's own typing edits one section at a time and takes "/" for
    // a move to the next one, which garbles a date typed whole.
    if (plain && text.size() == 1 && IsDateCharacter(text.at(0))) {
        if (!typing_) {
            typing_ = true;
            typed_.clear();
            dateBeforeTyping_ = date();
        }
        typed_ += text;
        ShowTyped();
        event->accept();
        return;
    }
    if (typing_ && event->key() == Qt::Key_Backspace) {
        typed_.chop(1);
        ShowTyped();
        event->accept();
        return;
    }
    if (typing_ && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        FinishTyping();
        // The dialog's default button takes Enter, as it does after a pick.
        event->ignore();
        return;
    }
    FinishTyping();
    QDateEdit::keyPressEvent(event);
}

void TDateEntry::focusOutEvent(QFocusEvent* event)
{
    FinishTyping();
    QDateEdit::focusOutEvent(event);
    if (!refused_.isEmpty())
        KeepDateBeforeTyping();
}

void TDateEntry::KeepDateBeforeTyping()
{
    // The picker reads the shown text into its date as it sees fit; a text
    // that is no date must leave the date as it was.
    if (date() != dateBeforeTyping_)
        setDate(dateBeforeTyping_);
    const QString shown = textFromDateTime(dateTime());
    if (lineEdit()->text() != shown)
        lineEdit()->setText(shown);
}

bool TDateEntry::focusNextPrevChild(bool next)
{
    // Tab after a date typed whole leaves the field: the picker would move
    // to its next section and read part of the text into its date.
    if (typing_) {
        FinishTyping();
        return QWidget::focusNextPrevChild(next);
    }
    return QDateEdit::focusNextPrevChild(next);
}

void TDateEntry::stepBy(int steps)
{
    FinishTyping();
    refused_.clear();
    QDateEdit::stepBy(steps);
}

QValidator::State TDateEntry::validate(QString& input, int& pos) const
{
    if (typing_)
        return QValidator::Intermediate;
    return QDateEdit::validate(input, pos);
}

void TDateEntry::ShowTyped()
{
    lineEdit()->setText(typed_);
    lineEdit()->setCursorPosition(static_cast<int>(typed_.size()));
}

void TDateEntry::FinishTyping()
{
    if (!typing_)
        return;
    typing_ = false;
    if (const std::optional<QDate> typed = DateFromTypedText(typed_)) {
        refused_.clear();
        setDate(*typed);
        // The same date as before changes no value: show it formatted anyway.
        lineEdit()->setText(textFromDateTime(dateTime()));
    } else {
        // The field goes back to its date, which stays as it was: the picker
        // would otherwise make a date of its own out of the text. The check
        // before a save names what was typed.
        refused_ = typed_;
        KeepDateBeforeTyping();
    }
}

std::optional<QDate> CheckedDate(QWidget* owner, TDateEntry* entry, const QString& fieldName)
{
    const std::optional<QDate> date = entry->EnteredDate();
    if (!date)
        return Refuse(owner, entry, DateNotValidText(fieldName, entry->RefusedText()));
    return date;
}

std::optional<QDate> CheckedPastDate(QWidget* owner, TDateEntry* entry, const QString& fieldName)
{
    const std::optional<QDate> date = CheckedDate(owner, entry, fieldName);
    if (date && *date > QDate::currentDate())
        return Refuse(owner, entry, DateInFutureText(fieldName));
    return date;
}

std::optional<QDate> CheckedDateNotBefore(QWidget* owner, TDateEntry* entry, const QString& fieldName,
                                          const QDate& earliest, const QString& earliestName)
{
    const std::optional<QDate> date = CheckedDate(owner, entry, fieldName);
    if (date && earliest.isValid() && *date < earliest)
        return Refuse(owner, entry, DateTooEarlyText(fieldName, earliestName, earliest));
    return date;
}

QString DateNotValidText(const QString& fieldName, const QString& typed)
{
    return QStringLiteral("ATTENZIONE: il campo \"") + fieldName + QStringLiteral("\" non contiene una data valida (")
        + typed + QStringLiteral("). Scrivere giorno, mese e anno, ad esempio 12/03/2023.");
}

QString DateInFutureText(const QString& fieldName)
{
    return QStringLiteral("ATTENZIONE: il campo \"") + fieldName
        + QStringLiteral("\" contiene una data futura.");
}

QString DateTooEarlyText(const QString& fieldName, const QString& earliestName, const QDate& earliest)
{
    return QStringLiteral("ATTENZIONE: il campo \"") + fieldName + QStringLiteral("\" contiene una data precedente a ")
        + earliestName + QStringLiteral(" (") + FormatShortDate(DateTimeFromQDate(earliest)) + QStringLiteral(").");
}
