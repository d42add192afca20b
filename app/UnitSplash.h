// TFormSplash: the window shown while the program starts.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TFormSplash;
}

class TFormSplash : public QWidget {
    Q_OBJECT

public:
    explicit TFormSplash(QWidget* owner = nullptr);
    ~TFormSplash() override;

    Ui::TFormSplash& Controls() const { return *ui_; }

private:
    std::unique_ptr<Ui::TFormSplash> ui_;
};
