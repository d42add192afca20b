#include "GuidePictures.h"

#include "DemoSchool.h"
#include "Exception.h"
#include "ListFinder.h"
#include "RecordWindows.h"
#include "UnitChildProgress.h"
#include "UnitMain.h"
#include "UnitRSShow.h"
#include "ui_UnitMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <functional>

namespace {

void Settle()
{
    // Layouts, the list's filter and the chart are all finished by queued
    // events: let them run before a window is grabbed.
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// The window as the desktop shows it: a title bar with its title above it
// and a thin frame around.
QImage Framed(QWidget* window)
{
    Settle();
    const QPixmap content = window->grab();
    const qreal ratio = content.devicePixelRatio();
    const QSizeF inner = content.deviceIndependentSize();
    const int bar = 24;
    QImage framed(QSize(qRound((inner.width() + 2) * ratio), qRound((inner.height() + bar + 1) * ratio)),
                  QImage::Format_RGB32);
    framed.setDevicePixelRatio(ratio);
    framed.fill(QColor(0x3c, 0x4a, 0x5c));
    QPainter painter(&framed);
    painter.drawPixmap(QPointF(1, bar), content);
    QFont font = window->font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(8, 0, inner.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
    return framed;
}

QImage Grabbed(QWidget* widget)
{
    Settle();
    return widget->grab().toImage();
}

// Starts `open`, which runs a modal window (its own event loop); once that
// window is up, `inside` is called with it, then the window is closed as
// Esc closes it. Returns the window's picture.
QImage WithModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inside = {})
{
    QWidget* const before = QApplication::activeModalWidget();
    QImage picture;
    bool seen = false;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (clock.elapsed() > 20000) {
            poll.stop();
            if (modal && modal != before)
                modal->close();
            return;
        }
        if (!modal || modal == before || seen)
            return;
        seen = true;
        poll.stop();
        if (inside)
            inside(modal);
        picture = Framed(modal);
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    });
    poll.start();
    open();
    poll.stop();
    if (picture.isNull())
        throw Exception(QStringLiteral("a window of the guide did not open"));
    return picture;
}

template <typename T>
T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        throw Exception(QStringLiteral("the guide misses the control %1").arg(QString::fromLatin1(name)));
    return child;
}

// The first row of the list whose column holds the text.
void SelectRow(QTreeView* list, int column, const QString& text)
{
    const QAbstractItemModel* rows = list->model();
    for (int row = 0; row < rows->rowCount(); ++row) {
        if (rows->index(row, column).data().toString().startsWith(text)) {
            // The row from its first column, as a click on it shows it.
            list->setCurrentIndex(rows->index(row, 0));
            list->scrollTo(rows->index(row, 0));
            return;
        }
    }
    throw Exception(QStringLiteral("no row \"%1\" in the guide's list").arg(text));
}

// A register window opened from the main window, as its buttons do;
// closed (and deleted) when the scope ends.
class TOpenWindow {
public:
    TOpenWindow(TFormMain& main, TRecordWindow which)
        : window_(CreateRecordWindow(which, &main))
    {
        window_->show();
        window_->activateWindow();
        Settle();
    }
    ~TOpenWindow() { window_->close(); }
    TFormRSShow* operator->() const { return window_; }
    TFormRSShow* Get() const { return window_; }

private:
    TFormRSShow* window_;
};

void Click(QWidget* window, const char* button)
{
    Child<QPushButton>(window, button)->click();
}

} // namespace

std::map<QString, QImage> MakeGuidePictures(TFormMain& mainWindow, const TDemoSchool& demo)
{
    std::map<QString, QImage> pictures;
    mainWindow.show();
    mainWindow.activateWindow();
    pictures[QStringLiteral("main")] = Framed(&mainWindow);

    // The Strumenti menu, open below its title.
    QMenu* tools = mainWindow.Controls().MainMenuStrumenti;
    tools->popup(mainWindow.mapToGlobal(QPoint(0, 0)));
    pictures[QStringLiteral("menu-tools")] = Grabbed(tools);
    tools->hide();

    {
        TOpenWindow children(mainWindow, TRecordWindow::Children);
        SelectRow(children->ListViewData(), 0, QStringLiteral("Esposito"));
        pictures[QStringLiteral("children")] = Framed(children.Get());
        pictures[QStringLiteral("child-edit")] = WithModal([&] { Click(children.Get(), "BitBtnEdit"); });
        pictures[QStringLiteral("question-box")] = WithModal([&] { Click(children.Get(), "BitBtnDelete"); });
    }
    {
        TOpenWindow phases(mainWindow, TRecordWindow::Phases);
        SelectRow(phases->ListViewData(), 0, QStringLiteral("3"));
        pictures[QStringLiteral("phases")] = Framed(phases.Get());
        pictures[QStringLiteral("phase-edit")] = WithModal([&] { Click(phases.Get(), "BitBtnEdit"); });
    }
    {
        TOpenWindow questions(mainWindow, TRecordWindow::Questions);
        SelectRow(questions->ListViewData(), 3, QStringLiteral("Corre"));
        pictures[QStringLiteral("questions")] = Framed(questions.Get());
    }
    {
        TOpenWindow compilations(mainWindow, TRecordWindow::Compilations);
        compilations->Finder()->Field()->setText(QStringLiteral("giulia"));
        compilations->Finder()->Filter();
        SelectRow(compilations->ListViewData(), 3, QStringLiteral("Osservazione di ottobre"));
        pictures[QStringLiteral("compilations")] = Framed(compilations.Get());
        pictures[QStringLiteral("editor")] = WithModal([&] { Click(compilations.Get(), "BitBtnEdit"); },
                                                      [&](QWidget* editor) {
            auto* list = Child<QTreeView>(editor, "ListViewData");
            const int row = list->model()->rowCount() - 6;
            list->setCurrentIndex(list->model()->index(row, 0));
            list->scrollTo(list->currentIndex(), QAbstractItemView::PositionAtCenter);
            list->setFocus();
            pictures[QStringLiteral("start-phase")] =
                WithModal([&] { Click(editor, "BitBtnSetStartPhase"); });
        });
    }
    {
        TFormChildProgress progress(&mainWindow, demo.ChildFollowed);
        progress.show();
        pictures[QStringLiteral("progress")] = Framed(&progress);
        progress.close();
    }
    mainWindow.hide();
    return pictures;
}
