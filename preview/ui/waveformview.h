// Two waveform strips over one time axis: the input and the same seconds with the echo. Each
// pixel column shows the lowest and the highest sample (of both channels) of the time it
// covers. A text can stand in place of either strip, and a cursor line marks the playing
// position.
#pragma once

#include "preview/previewrender.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QVector>
#include <QWidget>

#include <array>

namespace eb {

class WaveformView : public QWidget {
    Q_OBJECT
public:
    enum StripIndex { InputStrip = 0, EchoStrip = 1 };
    static inline const QColor kWaveColor{0x1f, 0x5f, 0xbf};
    static inline const QColor kCursorColor{0xd0, 0x20, 0x20};

    explicit WaveformView(QWidget* parent = nullptr);

    // Samples for a strip, which then shows no text.
    void setAudio(StripIndex strip, const PreviewAudio& audio);
    // A text in place of a strip's samples (empty: an empty strip).
    void setMessage(StripIndex strip, const QString& text);
    QString message(StripIndex strip) const { return strips_[strip].message; }
    const PreviewAudio& audio(StripIndex strip) const { return strips_[strip].audio; }

    // The seconds the strips span: the longer of the two, at most the preview's length.
    double spanSeconds() const;
    // The playing position in seconds; below zero hides the line.
    void setCursorSeconds(double seconds);
    double cursorSeconds() const { return cursor_; }

    // Where a strip is drawn.
    QRect stripRect(StripIndex strip) const;

    QSize sizeHint() const override { return {560, 240}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Strip {
        PreviewAudio audio;
        QString message;
        // Per pixel column: lowest and highest sample; empty columns have min > max.
        QVector<std::pair<qint16, qint16>> columns;
    };

    void drawStrip(QPainter& painter, StripIndex strip, const QString& title);
    void drawAxis(QPainter& painter);
    void computeColumns(Strip& strip, int width) const;
    void invalidate();
    void describeStrips();
    int xAt(double seconds) const;

    std::array<Strip, 2> strips_;
    double cursor_ = -1;
};

}  // namespace eb
