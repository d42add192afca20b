#include "Pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

QPixmap LoadPicture(const QString& name, const QSize& size)
{
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    if (!renderer.isValid())
        return QPixmap();
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon LoadIcon(const QString& name)
{
    QIcon icon;
    for (const int side : {16, 32}) {
        const QPixmap pixmap = LoadPicture(name, QSize(side, side));
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon ProgramIcon()
{
    return LoadIcon(QStringLiteral("program-icon"));
}

QIcon MainPicture(int index)
{
    static const char* const names[] = {
        "exit", "about", nullptr, "children", "teachers", "school", "areas",
        "phases", "questions", "compilations", "compact", "import", "manual",
        "export-data", "backup", "restore", "password",
    };
    if (index < 0 || index >= int(std::size(names)) || !names[index])
        return QIcon();
    return LoadIcon(QString::fromLatin1(names[index]));
}
