#include "shell/pointer.h"

#include "core/steps.h"
#include "core/usertext.h"

#include <QFile>
#include <QImage>
#include <QPixmap>

namespace eb {

namespace {
// Pointer files are a few kilobytes; anything this large is not one.
constexpr qint64 kMaxPointerFileBytes = 1 << 20;

quint16 Le16(const QByteArray& bytes, int at) {
    return static_cast<quint16>(static_cast<quint8>(bytes[at]) |
                                (static_cast<quint8>(bytes[at + 1]) << 8));
}
}  // namespace

std::optional<QPoint> CursorFileHotspot(const QByteArray& bytes) {
    // Header: reserved 0, type 2 (cursor), image count; then the first directory entry, whose
    // bytes 4..7 are the hotspot.
    if (bytes.size() < 22 || Le16(bytes, 0) != 0 || Le16(bytes, 2) != 2 || Le16(bytes, 4) == 0)
        return std::nullopt;
    return QPoint(Le16(bytes, 10), Le16(bytes, 12));
}

QCursor LoadPointerFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StepError(file.errorString());
    if (file.size() > kMaxPointerFileBytes)
        throw StepError(UserText::tr("The pointer file is too large: ") + path);
    const QByteArray bytes = file.read(kMaxPointerFileBytes);
    const QImage image = QImage::fromData(bytes);
    if (image.isNull())
        throw StepError(UserText::tr("The pointer file holds no image: ") + path);
    const QPixmap pixmap = QPixmap::fromImage(image);
    const std::optional<QPoint> hotspot = CursorFileHotspot(bytes);
    if (hotspot && image.rect().contains(*hotspot))
        return QCursor(pixmap, hotspot->x(), hotspot->y());
    return QCursor(pixmap);
}

QCursor PointerFileOrArrow(const QString& path) {
    try {
        return LoadPointerFile(path);
    } catch (const StepError&) {
        return QCursor(Qt::ArrowCursor);
    }
}

}  // namespace eb
