#include "UnitSetStartPhase.h"

#include "RecordFormLook.h"

#include "ui_UnitSetStartPhase.h"

TFormSetStartPhase::TFormSetStartPhase(QWidget* owner)
    : QDialog(owner)
    , ui_(std::make_unique<Ui::TFormSetStartPhase>())
{
    ui_->setupUi(this);
    ShowCaptionInBlue(ui_->GroupBoxStartPhase);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    // The two "apply" captions are longer than the window is wide in most
    // fonts: the window grows to show them whole rather than cut them.
    setFixedSize(sizeHint().expandedTo(QSize(257, 137)));

    ui_->BitBtnApplyToCurrentArea->setDefault(true);
    ui_->BitBtnApplyToEveryArea->setAutoDefault(false);
    ui_->BitBtnCancel->setAutoDefault(false);
    connect(ui_->BitBtnApplyToCurrentArea, &QPushButton::clicked, this, [this] { done(ResultCurrentArea); });
    connect(ui_->BitBtnApplyToEveryArea, &QPushButton::clicked, this, [this] { done(ResultEveryArea); });
    connect(ui_->BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormSetStartPhase::~TFormSetStartPhase() = default;

QComboBox* TFormSetStartPhase::ComboBoxStartPhase() const
{
    return ui_->ComboBoxStartPhase;
}

void TFormSetStartPhase::ShowAgeProposal(const QString& text)
{
    ui_->LabelAgeProposal->setText(text);
    ui_->LabelAgeProposal->setVisible(!text.isEmpty());
    setFixedSize(sizeHint().expandedTo(QSize(257, 137)));
}
