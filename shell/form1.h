// The main window: every control under its own name (Form1Controls), and the event handlers
// named after control and event. Each handler is a short call into the feature that owns the
// work and its state; the features live beside their subsystem (docs/codemap.md).
#pragma once

#include "core/boxreporter.h"
#include "core/prompter.h"
#include "core/steps.h"
#include "filelist/folderscan.h"
#include "shell/form1controls.h"
#include "shell/form1startup.h"

#include <QCursor>
#include <QPoint>
#include <QWidget>

#include <memory>
#include <vector>

class QMimeData;

namespace eb {

class FileListModel;
class ListAdders;
class ListGestures;
class OptionFields;
class PreviewMenu;
class PreviewWindow;
class WindowBatch;
class WindowPointer;

// The window's pointer: the ordinary arrow, the busy pointer of a running batch or folder
// add, or the custom (hand) image over the push buttons.
enum class PointerState { Default = 0, Busy = 11, Custom = 99 };

class Form1 : public QWidget {
    Q_OBJECT
public:
    // Without a prompter the window shows real message boxes and dialogs.
    explicit Form1(Prompter* prompter = nullptr, QWidget* parent = nullptr);
    // A window that takes its program folder, home page draw and desktop from `startup`.
    explicit Form1(const Form1Startup& startup, Prompter* prompter = nullptr,
                   QWidget* parent = nullptr);
    ~Form1() override;

    const Form1Controls& controls() const { return ui_; }
    Prompter& prompter() { return *prompter_; }
    ErrorReporter& reporter() { return reporter_; }
    // Where the data files beside the program lie (the skin, the pointers, the help page).
    QString programFolder() const;
    // The desktop's path without a final "/" (empty when it has none): where the output folder
    // defaults to and where the folder picker starts.
    QString desktopPath() const;

    // Window events.
    void Form_Load();
    void Form_Unload();

    // Buttons.
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton7_Click();

    // Output folder field and echo option fields.
    void Text1_Change();
    void Text1_GotFocus();
    void Text2_Change();
    void Text3_Change();
    void Text4_Change();
    void Text5_Change();
    void Text2_LostFocus();
    void Text3_LostFocus();
    void Text4_LostFocus();
    void Text5_LostFocus();

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

    // The list: removing, the reorder gesture, drag and drop from a file manager.
    void ListView1_KeyDown(int key);  // a Qt::Key
    void ListView1_DblClick();
    void ListView1_ItemClick();
    void ListView1_MouseDown();
    void ListView1_MouseMove(const QPoint& at);  // in the list's entry area
    void ListView1_MouseUp();
    const ListDragState& listDrag() const;
    // Refuses (effect = Qt::IgnoreAction) anything but a list of local files and folders.
    void ListView1_OLEDragOver(const QMimeData* dragged, Qt::DropAction& effect);
    void ListView1_OLEDragDrop(const QMimeData* dragged);

    // The list's context menu for the selected entry at `at` (screen); nothing for a null
    // point. Its "Preview Echo..." shows the preview window for that entry (one window,
    // switched to the new file).
    void ListView1_ContextMenu(const QPoint& at, bool byKeyboard = false);
    void openPreview(const QString& path);
    PreviewWindow* previewWindow() const;

    // The file list's entries, which ListView1 shows.
    FileListModel& fileList() { return *entries_; }
    const FileListModel& fileList() const { return *entries_; }
    // The file list as the handlers count it: 1-based entries, each holding a full path.
    int entryCount() const;
    QString entryText(int index) const;  // throws StepError for a position outside the list
    void addEntry(const QString& path);  // a file picked by itself
    // Appends the paths in one insert, all found in the folder `addedFrom`.
    void addEntries(const QStringList& paths, const QString& addedFrom);
    // The folder scans' yield: serves the event queue (every `intervalMs` milliseconds, 0: at
    // every chance), and ends the scan with HandlerStopped once the window is closing, so that
    // closing ends the program at once.
    ScanYield scanYield();
    void setScanYieldInterval(int intervalMs);

    // The pointer state; Busy doubles as the "a long operation runs" flag.
    PointerState pointerState() const;
    void setPointerState(PointerState state);
    // The image the custom state shows; without one it shows the ordinary arrow.
    void setCustomPointerImage(const QCursor& cursor);
    // The pointer in the cursor or icon file `name` beside the program (read afresh each
    // time); the ordinary arrow when it cannot be read.
    QCursor pointerImage(const QString& name) const;

    // True while "Start Converting" runs its batch.
    bool conversionRunning() const;
    // True once the window has begun to close: long handlers end at their next yield.
    bool isClosing() const { return closing_; }

private:
    void closeEvent(QCloseEvent* event) override;
    void buildControls();
    // Each feature's part of the constructor, in the feature's own file.
    void connectPointerHandlers();
    void connectOptionFields();
    void loadOptionFields(StepRunner& steps);
    void connectListEditing();
    void connectFolderAdders();
    void connectBatch();
    void connectListMenu();
    template <class Feature>
    Feature* adopt(std::unique_ptr<Feature> feature) {
        features_.push_back(std::move(feature));
        return static_cast<Feature*>(features_.back().get());
    }

    Form1Controls ui_;
    FileListModel* entries_ = nullptr;  // owned by ListView1
    Form1Startup startup_;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter* prompter_ = nullptr;
    BoxReporter reporter_;
    bool closing_ = false;
    // The features, each owning its state; they go before the controls and the prompter.
    std::vector<std::unique_ptr<QObject>> features_;
    WindowPointer* pointer_ = nullptr;
    OptionFields* options_ = nullptr;
    ListGestures* gestures_ = nullptr;
    ListAdders* adders_ = nullptr;
    WindowBatch* batch_ = nullptr;
    PreviewMenu* preview_ = nullptr;
};

}  // namespace eb
