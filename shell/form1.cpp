#include "shell/form1.h"

#include "shell/accessibleroles.h"
#include "shell/captionbar.h"
#include "shell/widgetprompter.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>

namespace eb {

namespace {
std::unique_ptr<Prompter> RealPrompterUnless(Prompter* given, QWidget* owner) {
    if (given)
        return nullptr;
    return std::make_unique<WidgetPrompter>(owner);
}

// Focus moves between controls of the window count; the window losing or regaining the
// activation (another program, a message box, a menu) does not.
bool MovesWithinWindow(const QEvent* event) {
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
}  // namespace

Form1::Form1(Prompter* prompter, QWidget* parent) : Form1(Form1Startup{}, prompter, parent) {}

Form1::Form1(const Form1Startup& startup, Prompter* prompter, QWidget* parent)
    : QWidget(parent),
      ownPrompter_(RealPrompterUnless(prompter, this)),
      prompter_(prompter ? prompter : ownPrompter_.get()),
      reporter_(*prompter_),
      startup_(startup) {
    InstallAccessibleRoles();
    buildControls();
    connectHandlers();
    connectFolderAdders();
    connectPointerHandlers();
    connectListEditing();
    connectListMenu();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::connectHandlers() {
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Click(); });
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
    connect(Text4, &QLineEdit::textChanged, this, [this] { Text4_Change(); });
    connect(Text5, &QLineEdit::textChanged, this, [this] { Text5_Change(); });
    for (QLineEdit* field : {Text1, Text2, Text3, Text4, Text5})
        field->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched == Text1 && MovesWithinWindow(event)) {
        Text1_GotFocus();
    } else if (event->type() == QEvent::FocusOut && MovesWithinWindow(event)) {
        focusLeftByMouse_ =
            static_cast<const QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
        if (watched == Text2)
            Text2_LostFocus();
        else if (watched == Text3)
            Text3_LostFocus();
        else if (watched == Text4)
            Text4_LostFocus();
        else if (watched == Text5)
            Text5_LostFocus();
        focusLeftByMouse_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

// Closing the window ends the program at once. A running batch is stopped first: its tool is
// ended, the unfinished output and the tool folder are removed, so no half-written MP3 is
// left behind looking finished.
void Form1::Form_Unload() {
    closing_ = true;  // a running folder scan ends at its next yield
    conversion_.abort();
}

ScanYield Form1::scanYield() {
    return ScanYield{[this] {
                         QCoreApplication::processEvents();
                         if (closing_)
                             throw HandlerStopped();
                     },
                     scanYieldIntervalMs};
}

void Form1::setCustomPointerImage(const QCursor& cursor) {
    customPointer_ = cursor;
    if (pointer_ == PointerState::Custom)
        setPointerState(pointer_);
}

// One pointer for the whole window: the state is shown over the window and every control.
// The ordinary state gives each control back its own pointer (the text fields' I-beam).
void Form1::setPointerState(PointerState state) {
    pointer_ = state;
    std::optional<QCursor> shown;
    if (state == PointerState::Busy)
        shown = QCursor(Qt::WaitCursor);
    else if (state == PointerState::Custom)
        shown = customPointer_ ? *customPointer_ : QCursor(Qt::ArrowCursor);
    if (shown)
        setCursor(*shown);
    else
        unsetCursor();
    for (QWidget* child : findChildren<QWidget*>()) {
        if (shown)
            child->setCursor(*shown);
        else if (qobject_cast<QLineEdit*>(child))
            child->setCursor(Qt::IBeamCursor);
        else
            child->unsetCursor();
    }
}

}  // namespace eb
