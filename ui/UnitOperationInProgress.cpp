#include "UnitOperationInProgress.h"

#include "ui_UnitOperationInProgress.h"

#include <QApplication>
#include <QScreen>

TFormOperationInProgress::TFormOperationInProgress(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , ui_(std::make_unique<Ui::TFormOperationInProgress>())
{
    ui_->setupUi(this);
    setFixedSize(469, 56);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFormOperationInProgress::~TFormOperationInProgress() = default;

QLabel* TFormOperationInProgress::PanelStatus() const
{
    return ui_->PanelStatus;
}

TOperationInProgress::TOperationInProgress(QWidget* caller, const QString& message)
    : caller_(caller)
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    window_ = std::make_unique<TFormOperationInProgress>();
    window_->PanelStatus()->setText(message);
    window_->show();
    // The work that follows processes no events: paint the window now.
    window_->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // Disabled only now: painting the whole caller greyed (the compilation
    // editor with its questions) would cost more than a save, and no input
    // reaches it before the work is done.
    if (caller_)
        caller_->setEnabled(false);
}

void TOperationInProgress::SetMessage(const QString& message)
{
    window_->PanelStatus()->setText(message);
    window_->PanelStatus()->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TOperationInProgress::~TOperationInProgress()
{
    if (caller_)
        caller_->setEnabled(true);
    window_->hide();
    window_.reset();
    QApplication::restoreOverrideCursor();
}
