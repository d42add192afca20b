#include "PasswordDialogs.h"

#include "BuildConfig.h"
#include "Dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

bool PasswordBox(QWidget* parent, const QString& prompt, QString& password)
{
    if (DialogScript::Active()) {
        DialogScript::RecordShown(QStringLiteral("password"), prompt);
        const std::optional<QString> text = DialogScript::TakeText();
        if (!text)
            return false;
        password = *text;
        return true;
    }
    bool ok = false;
    const QString text = QInputDialog::getText(parent, QStringLiteral(BALTERO_APPLICATION_TITLE), prompt,
                                               QLineEdit::Password, QString(), &ok);
    if (ok)
        password = text;
    return ok;
}

bool NewPasswordBox(QWidget* parent, const QString& title, const QString& text,
                    const std::function<QString(const QString&, const QString&)>& problem, QString& password)
{
    if (DialogScript::Active()) {
        DialogScript::RecordShown(QStringLiteral("newpassword"), text);
        for (;;) {
            const std::optional<QString> first = DialogScript::TakeText();
            const std::optional<QString> second = first ? DialogScript::TakeText() : std::nullopt;
            if (!first || !second)
                return false;
            const QString refused = problem(*first, *second);
            if (refused.isEmpty()) {
                password = *first;
                return true;
            }
            DialogScript::RecordShown(QStringLiteral("warning"), refused);
        }
    }

    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FormNewPassword"));
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* explanation = new QLabel(text, &dialog);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    auto* form = new QFormLayout;
    auto* first = new QLineEdit(&dialog);
    auto* second = new QLineEdit(&dialog);
    first->setObjectName(QStringLiteral("EditPassword"));
    second->setObjectName(QStringLiteral("EditPasswordRepeated"));
    for (QLineEdit* edit : {first, second}) {
        edit->setEchoMode(QLineEdit::Password);
        // Nothing typed here may leave the field: no copy, no drag.
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->setDragEnabled(false);
    }
    form->addRow(QStringLiteral("&Nuova password:"), first);
    form->addRow(QStringLiteral("&Ripetere la password:"), second);
    layout->addLayout(form);
    auto* refusal = new QLabel(&dialog);
    refusal->setObjectName(QStringLiteral("LabelRefusal"));
    refusal->setWordWrap(true);
    QPalette red = refusal->palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    refusal->setPalette(red);
    layout->addWidget(refusal);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const QString refused = problem(first->text(), second->text());
        if (refused.isEmpty()) {
            dialog.accept();
            return;
        }
        refusal->setText(refused);
        second->clear();
        first->setFocus();
        first->selectAll();
    });
    // Wide enough for the warning to read as a paragraph, at any scale.
    dialog.setMinimumWidth(dialog.fontMetrics().averageCharWidth() * 60);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    password = first->text();
    return true;
}

bool ServerLoginBox(QWidget* parent, const QString& server, QString& user, QString& password)
{
    const QString text = QStringLiteral("Il database della scuola \u00e8 sul server %1.\r\nInserire il nome utente "
                                        "e la password ricevuti dall'amministratore.")
                             .arg(server);
    if (DialogScript::Active()) {
        DialogScript::RecordShown(QStringLiteral("login"), text);
        const std::optional<QString> name = DialogScript::TakeText();
        const std::optional<QString> secret = name ? DialogScript::TakeText() : std::nullopt;
        if (!secret)
            return false;
        user = *name;
        password = *secret;
        return true;
    }

    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FormServerLogin"));
    dialog.setWindowTitle(QStringLiteral("Accesso al database della scuola"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* explanation = new QLabel(text, &dialog);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    auto* form = new QFormLayout;
    auto* name = new QLineEdit(user, &dialog);
    auto* secret = new QLineEdit(&dialog);
    name->setObjectName(QStringLiteral("EditUser"));
    secret->setObjectName(QStringLiteral("EditPassword"));
    secret->setEchoMode(QLineEdit::Password);
    secret->setContextMenuPolicy(Qt::NoContextMenu);
    secret->setDragEnabled(false);
    form->addRow(QStringLiteral("&Utente:"), name);
    form->addRow(QStringLiteral("&Password:"), secret);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Accedi"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    (user.isEmpty() ? name : secret)->setFocus();
    dialog.setMinimumWidth(dialog.fontMetrics().averageCharWidth() * 60);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    user = name->text().trimmed();
    password = secret->text();
    return true;
}
