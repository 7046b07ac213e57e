// The main window: every control under its own name, and the event handlers named after
// control and event. The handlers live beside their subsystem:
//   shell/form1_layout.cpp         the controls, positions, fonts, tab order
//   shell/form1_load.cpp           Form_Load
//   shell/form1_pointer.cpp        the pointer handlers (PushButton1_MouseMove ...)
//   filelist/form1_listediting.cpp PushButton4_Click, ListView1_KeyDown .. ListView1_MouseUp
//   shell/form1_convert.cpp        PushButton2_Click
//   filelist/form1_filelist.cpp    the list's entry operations
//   filelist/form1_addfiles.cpp    PushButton1_Click
//   filelist/form1_addfolder.cpp   PushButton3_Click
//   filelist/form1_dragdrop.cpp    ListView1_OLEDragOver, ListView1_OLEDragDrop
//   filelist/form1_samples.cpp     PushButton5_Click
//   options/form1_echooptions.cpp  Text2_Change .. Text5_Change, Text2_LostFocus .. Text5_LostFocus
//   options/form1_outputfolder.cpp Text1_Change, Text1_GotFocus, PushButton7_Click
//   shell/form1_preview.cpp        the list's context menu and the echo preview
#pragma once

#include "core/boxreporter.h"
#include "core/prompter.h"
#include "engine/conversionrun.h"
#include "filelist/folderscan.h"
#include "shell/form1startup.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QTreeWidget;

namespace eb {

class CaptionBar;
class PreviewWindow;

// The window's pointer: the ordinary arrow, the busy pointer of a running batch or folder
// add, or the custom (hand) image over the push buttons.
enum class PointerState { Default = 0, Busy = 11, Custom = 99 };

class Form1 : public QWidget {
    Q_OBJECT
public:
    // Without a prompter the window shows real message boxes and dialogs.
    explicit Form1(Prompter* prompter = nullptr, QWidget* parent = nullptr);
    ~Form1() override;

    // The controls.
    QPushButton* Command1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    CaptionBar* ProgressBar1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    std::array<QLabel*, 4> Label1{};
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;

    // Window events.
    void Form_Load();
    void Form_Unload();

    // Buttons.
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton7_Click();

    // Output folder field.
    void Text1_Change();
    void Text1_GotFocus();

    // Echo option fields.
    void Text2_Change();
    void Text3_Change();
    void Text4_Change();
    void Text5_Change();
    void Text2_LostFocus();
    void Text3_LostFocus();
    void Text4_LostFocus();
    void Text5_LostFocus();

    // The file list: 1-based entries, each holding a full path.
    int entryCount() const;
    QString entryText(int index) const;  // throws StepError for a position outside the list
    void addEntry(const QString& path);

    // The pointer state; Busy doubles as the "a long operation runs" flag.
    PointerState pointerState() const { return pointer_; }
    void setPointerState(PointerState state);
    // The image the custom state shows; without one it shows the ordinary arrow.
    void setCustomPointerImage(const QCursor& cursor);

    // Folder adders, drag and drop, samples.
    void PushButton3_Click();
    void PushButton5_Click();
    // Refuses (effect = Qt::IgnoreAction) anything but a list of local files and folders.
    void ListView1_OLEDragOver(const QMimeData* dragged, Qt::DropAction& effect);
    void ListView1_OLEDragDrop(const QMimeData* dragged);
    // Appends the paths in one insert, without a repaint per row.
    void addEntries(const QStringList& paths);
    // How often a folder scan serves the event queue, in milliseconds (0: at every chance).
    int scanYieldIntervalMs = 20;
    // The scan's yield: serves the event queue, and ends the scan with HandlerStopped once
    // the window is closing, so that closing ends the program at once.
    ScanYield scanYield();

    // True while "Start Converting" runs its batch.
    bool conversionRunning() const { return conversion_.isRunning(); }

private:
    bool closing_ = false;
    ConversionRun conversion_;  // the window's batch; one runs at a time
    void connectFolderAdders();

public:
    Prompter& prompter() { return *prompter_; }
    ErrorReporter& reporter() { return reporter_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    void checkEchoField(QLineEdit* field, int index);
    bool focusLeftByMouse_ = false;  // the field being left lost the focus to a mouse press
    void storeEchoField(const QLineEdit* field, int index);
    // The settings store at start-up and on every change (shell/form1_load.cpp).
    QString storedValue(StepRunner& steps, int line, const QString& key, const QString& fallback);
    void storeSetting(const QString& handler, const QString& key, const QString& value);
    bool storeReadReported_ = false;
    bool storeWriteReported_ = false;

    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_ = nullptr;
    BoxReporter reporter_;
    PointerState pointer_ = PointerState::Default;
    std::optional<QCursor> customPointer_;

    // Start-up, pointers, skin, list editing.
public:
    // A window that takes its program folder, home page draw and desktop from `startup`.
    explicit Form1(const Form1Startup& startup, Prompter* prompter = nullptr,
                   QWidget* parent = nullptr);
    // Where the data files beside the program lie (the skin, the pointers, the help page).
    QString programFolder() const;
    // The desktop's path without a final "/" (empty when it has none): where the output folder
    // defaults to and where the folder picker starts.
    QString desktopPath() const;

    // The pointer over the controls: the hand over the buttons, the arrow elsewhere.
    void PushButton1_MouseMove();
    void PushButton2_MouseMove();
    void PushButton3_MouseMove();
    void PushButton4_MouseMove();
    void PushButton5_MouseMove();
    void PushButton7_MouseMove();
    void Form_MouseMove();
    void Text1_MouseMove();
    void Frame1_MouseMove();
    void Frame2_MouseMove();

    // List editing: remove, clear, and the reorder gesture.
    void PushButton4_Click();
    void ListView1_KeyDown(int key);  // a Qt::Key
    void ListView1_DblClick();
    void ListView1_ItemClick();
    void ListView1_MouseDown();
    void ListView1_MouseMove(const QPoint& at);  // in the list's entry area
    void ListView1_MouseUp();
    bool Dragging = false;
    QPersistentModelIndex DragItem;  // the entry being moved
    QPersistentModelIndex HitItem;   // the entry under the pointer during one move step

private:
    void connectPointerHandlers();
    void connectListEditing();
    Form1Startup startup_;

    // The list's context menu and the echo preview.
public:
    // Opens the menu for the selected entry at `at` (screen); nothing for a null point.
    void ListView1_ContextMenu(const QPoint& at, bool byKeyboard = false);
    // Shows the preview window for `path` (one window, switched to the new file).
    void openPreview(const QString& path);
    PreviewWindow* previewWindow() const;

private:
    void connectListMenu();
    QPointer<QWidget> preview_;
};

}  // namespace eb
