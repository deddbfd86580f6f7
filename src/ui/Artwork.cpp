#include "Artwork.h"

#include <QPainter>

// A static library's resources are registered only when asked for by name.
static QString resourcePath(const QString& name) {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    static_cast<void>(loaded);
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

namespace marlet {

QIcon Artwork::icon(const QString& name) {
    return QIcon(resourcePath(name));
}

QPixmap Artwork::picture(const QString& name) {
    return QPixmap(resourcePath(name));
}

QIcon Artwork::progressFrame(int frame) {
    // The bar sits on the printer's output tray, where the pages come out.
    constexpr int Size = 32;
    QPixmap pixmap = icon(QStringLiteral("marlet")).pixmap(Size, Size);
    QPainter painter(&pixmap);
    const QRect bar(2, Size - 9, Size - 4, 8);
    painter.fillRect(bar, QColor(0x1d, 0x35, 0x57));
    int filled = (bar.width() - 2) * frame / (ProgressFrames - 1);
    painter.fillRect(QRect(bar.left() + 1, bar.top() + 1, filled, bar.height() - 2),
                     QColor(0xa7, 0xf4, 0x32));
    return QIcon(pixmap);
}

} // namespace marlet
