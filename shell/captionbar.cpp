#include "shell/captionbar.h"

namespace eb {

CaptionBar::CaptionBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setAlignment(Qt::AlignCenter);
    setTextVisible(true);
}

void CaptionBar::setCaption(const QString& caption) {
    setFormat(caption);
    setAccessibleName(caption);  // a screen reader names the bar by its caption
    emit captionChanged(caption);
}

}  // namespace eb
