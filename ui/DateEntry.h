// TDateEntry: the program's date field. A date picker with its drop-down
// calendar that also takes a date typed whole, as it is written on paper:
// "12/03/2023", "12-3-23" or "12032023" (data/DateTime reads it). The first
// digit typed replaces the shown date; what is typed shows as typed until the
// field is left or Enter is pressed, when it becomes the field's date. After
// a text that is no date the field shows its date as before, and the date
// check before a save refuses what was typed, quoting it.
#pragma once

#include <QDateEdit>
#include <optional>

class TDateEntry : public QDateEdit {
    Q_OBJECT

public:
    explicit TDateEntry(QWidget* parent = nullptr);

    // The date the field holds: the one being typed, or the one shown.
    // Nothing when the typed text is no date of the calendar.
    std::optional<QDate> EnteredDate() const;
    // What was typed when EnteredDate gives nothing.
    QString RefusedText() const { return typing_ ? typed_ : refused_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    void ShowTyped();
    void FinishTyping();
    void KeepDateBeforeTyping();
    void ConnectCalendar();

    bool typing_ = false;
    QString typed_;
    QDate dateBeforeTyping_;
    // The last typed text that was no date, until a date replaces it.
    QString refused_;
    bool calendarConnected_ = false;
};

// The checks of a date field before a save. Each shows its message (naming
// the field by its label) through the message-box seam, puts the focus on the
// field and returns nothing when the date is refused.
std::optional<QDate> CheckedDate(QWidget* owner, TDateEntry* entry, const QString& fieldName);
// The same, refusing also a date after today.
std::optional<QDate> CheckedPastDate(QWidget* owner, TDateEntry* entry, const QString& fieldName);
// The same, refusing also a date before earliest, which is what the message
// calls earliestName (for example "la data di nascita del bambino").
std::optional<QDate> CheckedDateNotBefore(QWidget* owner, TDateEntry* entry, const QString& fieldName,
                                          const QDate& earliest, const QString& earliestName);

QString DateNotValidText(const QString& fieldName, const QString& typed);
QString DateInFutureText(const QString& fieldName);
QString DateTooEarlyText(const QString& fieldName, const QString& earliestName, const QDate& earliest);
