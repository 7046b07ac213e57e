#include "preview/ui/waveformview.h"

#include "shell/accessibleroles.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace eb {

namespace {
constexpr int kMargin = 8;
constexpr int kTitleHeight = 16;
constexpr int kAxisHeight = 24;
constexpr int kMinTickSpacing = 48;  // pixels between two labelled ticks

// The smallest of 0.1, 0.2, 0.5, 1, 2, 5, 10 seconds that keeps the labels apart.
double TickStep(double pixelsPerSecond) {
    for (const double step : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0})
        if (step * pixelsPerSecond >= kMinTickSpacing)
            return step;
    return 10.0;
}
}  // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
    InstallAccessibleRoles();
    setMinimumSize(240, 160);
    setAccessibleName(tr("Waveforms of the input and with echo"));
    describeStrips();
}

void WaveformView::setAudio(StripIndex strip, const PreviewAudio& audio) {
    strips_[strip].audio = audio;
    strips_[strip].message.clear();
    invalidate();
}

void WaveformView::setMessage(StripIndex strip, const QString& text) {
    strips_[strip].audio = PreviewAudio();
    strips_[strip].message = text;
    invalidate();
}

double WaveformView::spanSeconds() const {
    const double longest =
        std::max(strips_[InputStrip].audio.seconds(), strips_[EchoStrip].audio.seconds());
    return std::min<double>(longest, PreviewRender::kSeconds);
}

void WaveformView::setCursorSeconds(double seconds) {
    cursor_ = seconds;
    update();
}

QRect WaveformView::stripRect(StripIndex strip) const {
    const int height = std::max(1, (this->height() - 2 * kTitleHeight - kAxisHeight) / 2);
    const int top = kTitleHeight + strip * (height + kTitleHeight);
    return {kMargin, top, std::max(1, width() - 2 * kMargin), height};
}

void WaveformView::invalidate() {
    for (Strip& strip : strips_)
        strip.columns.clear();
    describeStrips();
    update();
}

// The description says what each strip holds: its length, or the text shown in its place.
void WaveformView::describeStrips() {
    const auto told = [](const Strip& strip) {
        if (!strip.message.isEmpty())
            return strip.message;
        if (strip.audio.frames() == 0)
            return tr("empty");
        return tr("%1 seconds").arg(strip.audio.seconds(), 0, 'f', 1);
    };
    setAccessibleDescription(
        tr("Input: %1. With echo: %2.").arg(told(strips_[InputStrip]), told(strips_[EchoStrip])));
}

void WaveformView::resizeEvent(QResizeEvent* event) {
    invalidate();
    QWidget::resizeEvent(event);
}

int WaveformView::xAt(double seconds) const {
    const QRect r = stripRect(InputStrip);
    const double span = spanSeconds();
    return r.left() + (span > 0 ? static_cast<int>(std::lround(seconds / span * r.width())) : 0);
}

// Column x covers the frames from x * n / width up to (x + 1) * n / width, where n is the
// frame count of the whole span, so both strips share one time scale.
void WaveformView::computeColumns(Strip& strip, int width) const {
    strip.columns.fill({1, 0}, width);
    const qsizetype spanFrames = std::llround(spanSeconds() * PreviewAudio::kRate);
    const qsizetype frames = std::min(strip.audio.frames(), spanFrames);
    const qint16* samples = strip.audio.samples();
    for (int x = 0; x < width; ++x) {
        const qsizetype from = x * spanFrames / width;
        const qsizetype to = std::min(frames, std::max(from + 1, (x + 1) * spanFrames / width));
        if (from >= to)
            continue;
        qint16 low = samples[from * PreviewAudio::kChannels];
        qint16 high = low;
        for (qsizetype k = from * PreviewAudio::kChannels; k < to * PreviewAudio::kChannels; ++k) {
            low = std::min(low, samples[k]);
            high = std::max(high, samples[k]);
        }
        strip.columns[x] = {low, high};
    }
}

void WaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    drawStrip(painter, InputStrip, tr("Input"));
    drawStrip(painter, EchoStrip, tr("With echo"));
    drawAxis(painter);
    if (cursor_ >= 0 && spanSeconds() > 0) {
        const int x = xAt(std::min(cursor_, spanSeconds()));
        painter.setPen(kCursorColor);
        painter.drawLine(x, stripRect(InputStrip).top(), x, stripRect(EchoStrip).bottom());
    }
}

void WaveformView::drawStrip(QPainter& painter, StripIndex index, const QString& title) {
    Strip& strip = strips_[index];
    const QRect r = stripRect(index);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(r.left(), r.top() - kTitleHeight, r.width(), kTitleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.fillRect(r, Qt::white);
    painter.setPen(QColor(0xa0, 0xa0, 0xa0));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    const int middle = r.top() + r.height() / 2;
    if (!strip.message.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(r.adjusted(6, 4, -6, -4), Qt::AlignCenter | Qt::TextWordWrap,
                         strip.message);
        return;
    }
    painter.setPen(QColor(0xd8, 0xd8, 0xd8));
    painter.drawLine(r.left() + 1, middle, r.right() - 1, middle);
    if (strip.audio.frames() == 0)
        return;
    if (strip.columns.size() != r.width())
        computeColumns(strip, r.width());
    const int halfHeight = r.height() / 2 - 1;  // whole pixels either side of the middle
    const double scale = halfHeight / 32768.0;
    painter.setPen(kWaveColor);
    for (int x = 0; x < r.width(); ++x) {
        const auto [low, high] = strip.columns[x];
        if (low > high)
            continue;
        const int top = middle - static_cast<int>(std::lround(high * scale));
        const int bottom = middle - static_cast<int>(std::lround(low * scale));
        painter.drawLine(r.left() + x, top, r.left() + x, std::max(top, bottom));
    }
}

void WaveformView::drawAxis(QPainter& painter) {
    const QRect strip = stripRect(EchoStrip);
    const double span = spanSeconds();
    const int y = strip.bottom() + 1;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(strip.left(), y, strip.right(), y);
    if (span <= 0)
        return;
    const double step = TickStep(strip.width() / span);
    for (int k = 0; k * step <= span + 1e-9; ++k) {
        const double seconds = k * step;
        const int x = xAt(seconds);
        painter.drawLine(x, y, x, y + 4);
        const QString label = QString::number(seconds, 'g', 3) + QStringLiteral(" s");
        QRect box(x - 30, y + 5, 60, kAxisHeight - 6);
        const int flags =
            static_cast<int>(Qt::AlignTop | (k == 0 ? Qt::AlignLeft : Qt::AlignHCenter));
        if (k == 0)
            box.moveLeft(x);
        painter.drawText(box, flags, label);
    }
}

}  // namespace eb
