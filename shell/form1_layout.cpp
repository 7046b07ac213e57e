// The window's controls at their design positions. Positions and sizes are written in twips
// (15 twips are one pixel) relative to the container, as the layout was drawn.
#include "shell/captionbar.h"
#include "shell/form1.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTreeWidget>

namespace eb {

namespace {
int Px(int twips) {
    return qRound(twips / 15.0);
}

void Place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

QFont ArialBold(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFont(ArialBold(11.25));
    b->setAutoDefault(false);
    return b;
}

QLineEdit* Field(QWidget* parent, const char* name) {
    auto* f = new QLineEdit(parent);
    f->setObjectName(QString::fromLatin1(name));
    return f;
}

QGroupBox* Frame(QWidget* parent, const char* name, const QString& caption) {
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(QString::fromLatin1(name));
    return f;
}
// The window itself: a fixed size, bold Arial on white.
void StyleWindow(QWidget& window) {
    window.setObjectName(QStringLiteral("Form1"));
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    window.setFixedSize(Px(8040), Px(7905));
    window.setFont(ArialBold(9));
    QPalette white = window.palette();
    white.setColor(QPalette::Window, Qt::white);
    window.setPalette(white);
    window.setAutoFillBackground(true);
}

QTreeWidget* FileList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("ListView1"));
    list->setRootIsDecorated(false);
    list->setHeaderHidden(false);
    list->header()->setStretchLastSection(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setToolTip(Form1::tr(
        "Drag and drop files here. Double-click item to remove it. Move | line to right and out "
        "of window to reveal full names."));
    Place(list, 120, 120, 7800, 2535);
    return list;
}

// A translated caption wider than the room up to its field moves all four fields right (their
// right edge stays), so that every caption is read whole and the fields stay aligned. The
// English captions fit, and their fields keep the drawn place.
void MakeRoomForCaptions(std::array<QLabel*, 4>& labels, std::array<QLineEdit*, 4>& fields) {
    int widest = 0;
    for (const QLabel* label : labels)
        widest = qMax(widest, label->sizeHint().width());
    if (widest <= Px(1080 - 240))
        return;
    const int left = Px(240) + widest + 4;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        labels[k]->resize(widest, labels[k]->height());
        const QRect drawn = fields[k]->geometry();
        fields[k]->setGeometry(left, drawn.top(), drawn.right() + 1 - left, drawn.height());
    }
}

// The echo options' four rows, each a caption and its field.
std::array<QLineEdit*, 4> EchoRows(QGroupBox* frame, std::array<QLabel*, 4>& labels) {
    struct Row {
        const char* caption;
        int labelWidth;
        int top;
    };
    const std::array<Row, 4> rows{{{QT_TRANSLATE_NOOP("eb::Form1", "Gain-In:"), 630, 300},
                                   {QT_TRANSLATE_NOOP("eb::Form1", "Gain-Out:"), 780, 750},
                                   {QT_TRANSLATE_NOOP("eb::Form1", "Delay:"), 510, 1200},
                                   {QT_TRANSLATE_NOOP("eb::Form1", "Decay:"), 570, 1650}}};
    const std::array<const char*, 4> fieldNames{"Text2", "Text3", "Text4", "Text5"};
    std::array<QLineEdit*, 4> echoFields{};
    for (std::size_t k = 0; k < rows.size(); ++k) {
        labels[k] = new QLabel(Form1::tr(rows[k].caption), frame);
        labels[k]->setObjectName(QStringLiteral("Label1_%1").arg(k));
        Place(labels[k], 240, rows[k].top + 45, rows[k].labelWidth, 225);
        // The drawn widths leave no room for the captions as this font renders them ("Gain-In:"
        // would lose its colon); a caption may take the free space up to its field.
        const int needed = labels[k]->sizeHint().width();
        if (needed > labels[k]->width())
            labels[k]->resize(qMin(needed, Px(1080 - 240)), labels[k]->height());
        echoFields[k] = Field(frame, fieldNames[k]);
        Place(echoFields[k], 1080, rows[k].top, 6420, 345);
        // Tied to its caption, the field is spoken by the caption's words, without the colon.
        labels[k]->setBuddy(echoFields[k]);
        echoFields[k]->setAccessibleName(labels[k]->text().remove(QLatin1Char(':')).trimmed());
    }
    MakeRoomForCaptions(labels, echoFields);
    return echoFields;
}

// What a screen reader says for the controls whose text alone does not tell what they are.
// Command1 holds the first focus without doing anything; it is announced as the place the
// user is at rather than by its internal name.
void NameForScreenReaders(Form1& form) {
    form.Command1->setAccessibleName(Form1::tr("Top of the window"));
    form.Command1->setAccessibleDescription(Form1::tr("Press Tab to reach the file list."));
    form.ListView1->setAccessibleName(Form1::tr("MP3 File(s)"));
    form.ListView1->setAccessibleDescription(form.ListView1->toolTip());
    form.Text1->setAccessibleName(form.Frame1->title());
    form.PushButton7->setAccessibleName(Form1::tr("Choose output folder"));
}
}  // namespace

void Form1::buildControls() {
    StyleWindow(*this);

    Command1 = Button(this, "Command1", QStringLiteral("Command1"));
    Place(Command1, -720, 2640, 615, 495);

    ListView1 = FileList(this);

    ProgressBar1 = new CaptionBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setCaption(tr("Progress Bar"));
    Place(ProgressBar1, 120, 7390, 7800, 405);

    PushButton1 = Button(this, "PushButton1", tr("Add MP3 File(s)"));
    Place(PushButton1, 120, 2750, 3840, 405);
    PushButton3 = Button(this, "PushButton3", tr("Add All MP3 File(s) In Folder"));
    Place(PushButton3, 4080, 2750, 3840, 405);
    PushButton2 = Button(this, "PushButton2", tr("Start Converting"));
    Place(PushButton2, 120, 6870, 7800, 405);
    PushButton4 = Button(this, "PushButton4", tr("Clear List"));
    Place(PushButton4, 120, 3260, 3840, 405);
    PushButton5 = Button(this, "PushButton5", tr("Load Sample/Example Files"));
    Place(PushButton5, 4080, 3260, 3840, 405);

    Frame1 = Frame(this, "Frame1", tr("Save Results To This Folder"));
    Place(Frame1, 120, 5940, 7800, 810);
    Text1 = Field(Frame1, "Text1");
    Place(Text1, 240, 300, 6660, 345);
    PushButton7 = Button(Frame1, "PushButton7", tr("..."));
    Place(PushButton7, 6960, 300, 600, 345);

    Frame2 = Frame(this, "Frame2", tr("Echo Options"));
    Place(Frame2, 120, 3720, 7800, 2175);
    const std::array<QLineEdit*, 4> echoFields = EchoRows(Frame2, Label1);
    Text2 = echoFields[0];
    Text3 = echoFields[1];
    Text4 = echoFields[2];
    Text5 = echoFields[3];

    // Tab order as drawn; frames, labels and the bar take no focus. Command1 lies off the
    // visible area and holds the first focus, so no visible control shows a caret at start.
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
    const std::array<QWidget*, 13> order{
        Command1, ListView1,   PushButton1, PushButton3, PushButton2, PushButton4, PushButton5,
        Text1,    PushButton7, Text2,       Text3,       Text4,       Text5};
    for (std::size_t k = 0; k + 1 < order.size(); ++k)
        setTabOrder(order[k], order[k + 1]);
    Command1->setFocus(Qt::OtherFocusReason);
    NameForScreenReaders(*this);
}

}  // namespace eb
