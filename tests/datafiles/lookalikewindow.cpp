#include "lookalikewindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <array>

namespace ebtest {

namespace {
// Positions are written in twips, 15 to a pixel, as the window was drawn.
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0),
                   qRound(height / 15.0));
}

QFont arialBold(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void button(QWidget* parent, const QString& name, const QString& caption, int left, int top,
            int width, int height) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFont(arialBold(11.25));
    place(b, left, top, width, height);
}

void field(QWidget* parent, const QString& name, const QString& text, int left, int top,
           int width) {
    auto* f = new QLineEdit(text, parent);
    f->setObjectName(name);
    place(f, left, top, width, 345);
}
}  // namespace

std::unique_ptr<QWidget> makeLookalikeWindow() {
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("Form1"));
    form->setFixedSize(536, 527);
    form->setFont(arialBold(9));
    form->setAutoFillBackground(true);
    QPalette white = form->palette();
    white.setColor(QPalette::Window, Qt::white);
    form->setPalette(white);

    auto* list = new QTreeWidget(form.get());
    list->setObjectName(QStringLiteral("ListView1"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("MP3 File(s)")});
    list->setColumnWidth(0, qRound(7000 / 15.0));
    for (const char* name : {"Hello.mp3", "One, two, three.mp3", "Echo test.mp3",
                             "Plucked notes.mp3", "Drum clicks.mp3"})
        new QTreeWidgetItem(
            list, {QStringLiteral("/usr/lib/echobatch/Samples/") + QString::fromUtf8(name)});
    list->setCurrentItem(list->topLevelItem(1));
    place(list, 120, 120, 7800, 2535);

    auto* bar = new QProgressBar(form.get());
    bar->setObjectName(QStringLiteral("ProgressBar1"));
    bar->setRange(0, 100);
    bar->setValue(40);
    bar->setFormat(QStringLiteral("Processing: One, two, three.mp3"));
    place(bar, 120, 7390, 7800, 405);

    button(form.get(), QStringLiteral("PushButton1"), QStringLiteral("Add MP3 File(s)"), 120, 2750,
           3840, 405);
    button(form.get(), QStringLiteral("PushButton3"),
           QStringLiteral("Add All MP3 File(s) In Folder"), 4080, 2750, 3840, 405);
    button(form.get(), QStringLiteral("PushButton2"), QStringLiteral("Start Converting"), 120, 6870,
           7800, 405);
    button(form.get(), QStringLiteral("PushButton4"), QStringLiteral("Clear List"), 120, 3260, 3840,
           405);
    button(form.get(), QStringLiteral("PushButton5"), QStringLiteral("Load Sample/Example Files"),
           4080, 3260, 3840, 405);

    auto* frame1 = new QGroupBox(QStringLiteral("Save Results To This Folder"), form.get());
    frame1->setObjectName(QStringLiteral("Frame1"));
    place(frame1, 120, 5940, 7800, 810);
    field(frame1, QStringLiteral("Text1"), QStringLiteral("/home/user/Desktop/"), 240, 300, 6660);
    button(frame1, QStringLiteral("PushButton7"), QStringLiteral("..."), 6960, 300, 600, 345);

    auto* frame2 = new QGroupBox(QStringLiteral("Echo Options"), form.get());
    frame2->setObjectName(QStringLiteral("Frame2"));
    place(frame2, 120, 3720, 7800, 2175);
    struct Row {
        const char* caption;
        const char* value;
        int labelWidth;
        int top;
    };
    const std::array<Row, 4> rows{{{"Gain-In:", "0.8", 630, 300},
                                   {"Gain-Out:", "0.7", 780, 750},
                                   {"Delay:", "63", 510, 1200},
                                   {"Decay:", "0.3", 570, 1650}}};
    for (std::size_t k = 0; k < rows.size(); ++k) {
        auto* label = new QLabel(QString::fromLatin1(rows[k].caption), frame2);
        label->setObjectName(QStringLiteral("Label1_%1").arg(k));
        place(label, 240, rows[k].top + 45, rows[k].labelWidth, 225);
        field(frame2, QStringLiteral("Text%1").arg(k + 2), QString::fromLatin1(rows[k].value), 1080,
              rows[k].top, 6420);
    }
    return form;
}

}  // namespace ebtest
