#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace marlet {

/// The desktop app's pictures: the project's own SVGs, and the tray's progress frames
/// drawn over the application's icon.
class Artwork {
public:
    /// One of the SVGs under :/icons, by its name without ".svg" ("print").
    static QIcon icon(const QString& name);
    /// A picture at its own size ("sample-portrait").
    static QPixmap picture(const QString& name);
    /// Progress frame 0..15: the application's icon with a bar about frame sixteenths full.
    static QIcon progressFrame(int frame);

    /// The number of progress frames.
    static constexpr int ProgressFrames = 16;
};

} // namespace marlet
