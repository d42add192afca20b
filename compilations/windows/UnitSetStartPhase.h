// TFormSetStartPhase: asks for a start phase and whether it applies to the
// current area or to every area. The compilation editor fills and reads its
// drop-down list.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFormSetStartPhase;
}
class QComboBox;

class TFormSetStartPhase : public QDialog {
    Q_OBJECT

public:
    // What the dialog ended with; Rejected (0) is "Annulla" or the close box.
    enum Result { ResultCancel = QDialog::Rejected, ResultCurrentArea = 1, ResultEveryArea = 2 };

    explicit TFormSetStartPhase(QWidget* owner = nullptr);
    ~TFormSetStartPhase() override;

    QComboBox* ComboBoxStartPhase() const;
    // A line under the list saying what the child's age proposes; the
    // window grows to show it whole.
    void ShowAgeProposal(const QString& text);

private:
    std::unique_ptr<Ui::TFormSetStartPhase> ui_;
};
