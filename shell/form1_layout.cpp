// The window's controls at their design positions. Positions and sizes are written in twips
// (15 twips are one pixel) relative to the container, as the layout was drawn.
#include "filelist/filelistmodel.h"
#include "shell/captionbar.h"
#include "shell/form1.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <limits>

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

// A field takes a text of any length: Qt would cut a stored text at 32767 characters.
QLineEdit* Field(QWidget* parent, const char* name) {
    auto* f = new QLineEdit(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setMaxLength(std::numeric_limits<int>::max());
    return f;
}

// A frame whose panel, inside its border, is white as the window is; the style would tint it
// grey. A skin's style sheet draws the frames its own way and is left alone.
class WhitePanelFrame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override {
        QGroupBox::paintEvent(event);
        if (!window()->styleSheet().isEmpty() || !qApp->styleSheet().isEmpty())
            return;
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        const QRect contents = style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxContents, this);
        // Up to the border's line on every side, its inner shade included.
        const QRect panel(QPoint(2, contents.top() - 1), QPoint(width() - 3, height() - 3));
        QPainter(this).fillRect(panel, Qt::white);
    }
};

QGroupBox* Frame(QWidget* parent, const char* name, const QString& caption) {
    auto* f = new WhitePanelFrame(caption, parent);
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

// A row shows what the last batch made of its entry as an icon before its text.
class ResultDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto result =
            static_cast<EntryResult>(index.data(FileListModel::kResultRole).toInt());
        if (result == EntryResult::None || option->widget == nullptr)
            return;
        const QStyle::StandardPixmap icon =
            result == EntryResult::Converted ? QStyle::SP_DialogApplyButton
            : result == EntryResult::Warning ? QStyle::SP_MessageBoxWarning
            : result == EntryResult::Failed  ? QStyle::SP_MessageBoxCritical
                                             : QStyle::SP_MediaSkipForward;
        option->icon = option->widget->style()->standardIcon(icon);
        option->features |= QStyleOptionViewItem::HasDecoration;
    }
};

// The list of files shows the entries' model, which it owns; it never edits or drags a row.
QTreeView* FileList(QWidget* parent, FileListModel*& entries) {
    auto* list = new QTreeView(parent);
    list->setObjectName(QStringLiteral("ListView1"));
    entries = new FileListModel(list);
    list->setModel(entries);
    list->setItemDelegate(new ResultDelegate(list));
    list->setRootIsDecorated(false);
    list->setHeaderHidden(false);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsClickable(false);
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

// The letter of `caption` that becomes its access key: the first letter of a word not taken
// yet, else any letter not taken, an ASCII one before others (a keyboard may lack the others);
// -1 when every letter is taken or the caption has none.
qsizetype AccessKeyAt(const QString& caption, const QString& taken) {
    for (const bool wordStart : {true, false}) {
        for (const bool ascii : {true, false}) {
            for (qsizetype k = 0; k < caption.size(); ++k) {
                const QChar c = caption[k];
                if (!c.isLetter() || (ascii && c.unicode() > 0x7f) ||
                    (wordStart && k > 0 && caption[k - 1].isLetterOrNumber()) ||
                    taken.contains(c.toUpper()))
                    continue;
                return k;
            }
        }
    }
    return -1;
}

// Each button with letters in its caption gets an access key (Alt and the underlined letter),
// no two alike; the caption reads as before. The buttons are served in the drawn tab order.
void GiveAccessKeys(const std::array<QPushButton*, 5>& buttons) {
    QString taken;
    for (QPushButton* button : buttons) {
        const QString caption = button->text();
        const qsizetype at = AccessKeyAt(caption, taken);
        QString marked;
        for (qsizetype k = 0; k < caption.size(); ++k) {
            if (k == at)
                marked += QLatin1Char('&');
            marked += caption[k];
            if (caption[k] == QLatin1Char('&'))  // a "&" of the caption is shown as it is
                marked += QLatin1Char('&');
        }
        if (at >= 0)
            taken += caption[at].toUpper();
        button->setText(marked);
    }
}

// What a screen reader says for the controls whose text alone does not tell what they are.
// Command1 holds the first focus without doing anything; it is announced as the place the
// user is at rather than by its internal name.
void NameForScreenReaders(const Form1Controls& ui) {
    ui.Command1->setAccessibleName(Form1::tr("Top of the window"));
    ui.Command1->setAccessibleDescription(Form1::tr("Press Tab to reach the file list."));
    ui.ListView1->setAccessibleName(Form1::tr("MP3 File(s)"));
    ui.ListView1->setAccessibleDescription(ui.ListView1->toolTip());
    ui.Text1->setAccessibleName(ui.Frame1->title());
    ui.PushButton7->setAccessibleName(Form1::tr("Choose output folder"));
}
}  // namespace

void Form1::buildControls() {
    StyleWindow(*this);

    ui_.Command1 = Button(this, "Command1", QStringLiteral("Command1"));
    Place(ui_.Command1, -720, 2640, 615, 495);

    ui_.ListView1 = FileList(this, entries_);

    ui_.ProgressBar1 = new CaptionBar(this);
    ui_.ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ui_.ProgressBar1->setCaption(tr("Progress Bar"));
    Place(ui_.ProgressBar1, 120, 7390, 7800, 405);

    ui_.PushButton1 = Button(this, "PushButton1", tr("Add MP3 File(s)"));
    Place(ui_.PushButton1, 120, 2750, 3840, 405);
    ui_.PushButton3 = Button(this, "PushButton3", tr("Add All MP3 File(s) In Folder"));
    Place(ui_.PushButton3, 4080, 2750, 3840, 405);
    ui_.PushButton2 = Button(this, "PushButton2", tr("Start Converting"));
    Place(ui_.PushButton2, 120, 6870, 7800, 405);
    ui_.PushButton4 = Button(this, "PushButton4", tr("Clear List"));
    Place(ui_.PushButton4, 120, 3260, 3840, 405);
    ui_.PushButton5 = Button(this, "PushButton5", tr("Load Sample/Example Files"));
    Place(ui_.PushButton5, 4080, 3260, 3840, 405);

    ui_.Frame1 = Frame(this, "Frame1", tr("Save Results To This Folder"));
    Place(ui_.Frame1, 120, 5940, 7800, 810);
    ui_.Text1 = Field(ui_.Frame1, "Text1");
    Place(ui_.Text1, 240, 300, 6660, 345);
    ui_.PushButton7 = Button(ui_.Frame1, "PushButton7", tr("..."));
    Place(ui_.PushButton7, 6960, 300, 600, 345);

    ui_.Frame2 = Frame(this, "Frame2", tr("Echo Options"));
    Place(ui_.Frame2, 120, 3720, 7800, 2175);
    const std::array<QLineEdit*, 4> echoFields = EchoRows(ui_.Frame2, ui_.Label1);
    ui_.Text2 = echoFields[0];
    ui_.Text3 = echoFields[1];
    ui_.Text4 = echoFields[2];
    ui_.Text5 = echoFields[3];

    // Tab order as drawn; frames, labels and the bar take no focus. Command1 lies off the
    // visible area and holds the first focus, so no visible control shows a caret at start.
    ui_.ProgressBar1->setFocusPolicy(Qt::NoFocus);
    const std::array<QWidget*, 13> order{
        ui_.Command1,    ui_.ListView1,   ui_.PushButton1, ui_.PushButton3, ui_.PushButton2,
        ui_.PushButton4, ui_.PushButton5, ui_.Text1,       ui_.PushButton7, ui_.Text2,
        ui_.Text3,       ui_.Text4,       ui_.Text5};
    for (std::size_t k = 0; k + 1 < order.size(); ++k)
        setTabOrder(order[k], order[k + 1]);
    ui_.Command1->setFocus(Qt::OtherFocusReason);
    NameForScreenReaders(ui_);
    // "..." has no letter to give; Command1 lies off the window and is never pressed.
    GiveAccessKeys(
        {ui_.PushButton1, ui_.PushButton3, ui_.PushButton2, ui_.PushButton4, ui_.PushButton5});
}

}  // namespace eb
