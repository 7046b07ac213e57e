// The progress bar with an inner caption: the caption is shown exactly as set (a "%" in a
// file name is not taken for a placeholder), and every change is announced.
#pragma once

#include <QProgressBar>

namespace eb {

class CaptionBar : public QProgressBar {
    Q_OBJECT
public:
    explicit CaptionBar(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const { return format(); }
    QString text() const override { return format(); }

signals:
    void captionChanged(const QString& caption);
};

}  // namespace eb
