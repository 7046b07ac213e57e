// The window's public face: its controls under their own names, and the state of the list's
// reorder gesture. The window's features and the tests see the window through these and
// through Form1's public functions.
#pragma once

#include <QPersistentModelIndex>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace eb {

class CaptionBar;

struct Form1Controls {
    QPushButton* Command1 = nullptr;
    QTreeView* ListView1 = nullptr;
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
};

// The reorder gesture: a press on an entry, then passing over the others.
struct ListDragState {
    bool Dragging = false;
    QPersistentModelIndex DragItem;  // the entry being moved
    QPersistentModelIndex HitItem;   // the entry under the pointer during one move step
};

}  // namespace eb
