// TFormAbout: the About window, with the program's version, the rights
// holder, the legal notice and the links to the web site and the mail.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TFormAbout;
}

class TFormAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFormAbout(QWidget* owner = nullptr);
    ~TFormAbout() override;

    Ui::TFormAbout& Controls() const { return *ui_; }

    // "Versione 2.0.1 (Build 35)" for "2.0.1.35". Missing trailing numbers
    // count as 0; a text that is not a version gives -1 for all four.
    static QString VersionText(const QString& version);

public slots:
    void LabelCompanyWebAddressClick();
    void LabelCompanyEMailClick();
    // Esc closes the window as OK does.
    void reject() override;

private:
    std::unique_ptr<Ui::TFormAbout> ui_;
};
