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
    // The caller stays as it is while the work processes no events: a
    // click or key meanwhile waits in the queue either way, and disabling
    // and enabling the caller would only paint the whole window again (the
    // compilations list after a duplicate, at a cost near the duplicate's).
}

void TOperationInProgress::SetMessage(const QString& message)
{
    // From here on events are processed while the work goes on: the caller
    // is disabled so that nothing it offers can be started meanwhile.
    if (caller_ && !callerDisabled_) {
        caller_->setEnabled(false);
        callerDisabled_ = true;
    }
    window_->PanelStatus()->setText(message);
    window_->PanelStatus()->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TOperationInProgress::~TOperationInProgress()
{
    if (callerDisabled_)
        caller_->setEnabled(true);
    window_->hide();
    window_.reset();
    QApplication::restoreOverrideCursor();
}
