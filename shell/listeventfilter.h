#pragma once
// A filter on the file list and its viewport (the entries) that hands their events to the
// window's handlers. While the window is being destroyed it is no longer a Form1 and nothing is
// passed on.
#include "shell/form1.h"

#include <QEvent>
#include <QObject>
#include <QTreeWidget>

namespace eb {

class ListEventFilter : public QObject {
public:
    explicit ListEventFilter(Form1& form) : QObject(&form) {
        form.ListView1->installEventFilter(this);
        form.ListView1->viewport()->installEventFilter(this);
    }

protected:
    // `onList` tells the list itself (keys, focus) from its viewport (the mouse on entries).
    // True when the event was handled and must go no further.
    virtual bool handle(Form1& form, bool onList, QEvent* event) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override {
        Form1* form = qobject_cast<Form1*>(parent());
        return form && handle(*form, watched == form->ListView1, event);
    }
};

}  // namespace eb
