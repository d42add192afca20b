// TFormOperationInProgress: the one-line window shown while a long database
// operation runs on the user-interface thread.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TFormOperationInProgress;
}
class QLabel;

class TFormOperationInProgress : public QWidget {
    Q_OBJECT

public:
    explicit TFormOperationInProgress(QWidget* owner = nullptr);
    ~TFormOperationInProgress() override;

    QLabel* PanelStatus() const;

private:
    std::unique_ptr<Ui::TFormOperationInProgress> ui_;
};

// For the length of a scope: the hourglass cursor and the progress window
// showing the message; the calling window disabled from the first new
// message on. Everything is restored on every way out of the scope,
// failures included.
class TOperationInProgress {
public:
    TOperationInProgress(QWidget* caller, const QString& message);
    ~TOperationInProgress();
    TOperationInProgress(const TOperationInProgress&) = delete;
    TOperationInProgress& operator=(const TOperationInProgress&) = delete;

    // Shows a new message (how far the work has gone) at once.
    void SetMessage(const QString& message);

private:
    QWidget* caller_;
    bool callerDisabled_ = false;
    std::unique_ptr<TFormOperationInProgress> window_;
};
