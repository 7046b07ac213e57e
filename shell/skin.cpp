#include "shell/skin.h"

#include "core/steps.h"
#include "core/usertext.h"
#include "filelist/fileattributes.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

namespace eb {

namespace {
// A skin is a short text; a larger file is not one.
constexpr qint64 kMaxSkinBytes = 4 << 20;

void PaintFace(QWidget& control, const QColor& face) {
    QPalette palette = control.palette();
    palette.setColor(QPalette::Window, face);
    control.setPalette(palette);
    control.setAutoFillBackground(true);
}

bool TakesFaceColour(const QWidget* control) {
    return qobject_cast<const QGroupBox*>(control) || qobject_cast<const QLabel*>(control) ||
           qobject_cast<const QRadioButton*>(control) || qobject_cast<const QCheckBox*>(control);
}

QString ReadSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StepError(UserText::tr("Cannot read the skin %1: %2").arg(path, file.errorString()));
    if (file.size() > kMaxSkinBytes)
        throw StepError(UserText::tr("The skin %1 is too large").arg(path));
    const QByteArray bytes = file.read(kMaxSkinBytes);
    if (file.error() != QFileDevice::NoError)
        throw StepError(UserText::tr("Cannot read the skin %1: %2").arg(path, file.errorString()));
    return QString::fromUtf8(bytes);
}

// Qt does not report a style sheet it cannot parse except by a warning while the widgets are
// polished; the warnings are caught while the sheet is taken in.
class SheetWarnings {
public:
    SheetWarnings() : previous_(qInstallMessageHandler(&SheetWarnings::handle)) { g_active = this; }
    ~SheetWarnings() {
        qInstallMessageHandler(previous_);
        g_active = nullptr;
    }
    SheetWarnings(const SheetWarnings&) = delete;
    SheetWarnings& operator=(const SheetWarnings&) = delete;

    bool failed() const { return failed_; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        SheetWarnings* self = g_active;
        if (self && type == QtWarningMsg &&
            text.contains(QStringLiteral("Could not parse"), Qt::CaseInsensitive) &&
            text.contains(QStringLiteral("stylesheet"), Qt::CaseInsensitive)) {
            self->failed_ = true;
            return;
        }
        if (self && self->previous_)
            self->previous_(type, context, text);
    }

    static inline thread_local SheetWarnings* g_active = nullptr;
    QtMessageHandler previous_;
    bool failed_ = false;
};
}  // namespace

QString SkinFilePath(const QString& programFolder) {
    return programFolder + QStringLiteral("/x/o.cjs");
}

bool SkinFilePresent(const QString& path) {
    const std::optional<int> attributes = FileAttributes(path);
    return attributes && (*attributes & kAttrArchive) &&
           !(*attributes & (kAttrDirectory | kAttrHidden | kAttrSystem));
}

void ApplySkin(QWidget& window, const QString& programFolder) {
    const QString path = SkinFilePath(programFolder);
    if (!SkinFilePresent(path))
        return;

    const QColor face = QGuiApplication::palette().color(QPalette::Button);
    PaintFace(window, face);
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (TakesFaceColour(control))
            PaintFace(*control, face);
    }

    const QString sheet = ReadSkin(path);
    // The sheet is tried on a scratch widget first: a sheet put on the window and taken off
    // again does not give the controls back their own fonts, so a broken one never reaches it.
    bool failed = false;
    {
        SheetWarnings warnings;
        QWidget probe;
        probe.setStyleSheet(sheet);
        // Polishing parses the sheet; done now, so that a broken sheet shows here.
        probe.ensurePolished();
        failed = warnings.failed();
    }
    if (failed)
        throw StepError(UserText::tr("The skin %1 is not a valid style sheet").arg(path));
    window.setStyleSheet(sheet);
    window.ensurePolished();
}

}  // namespace eb
