#include "shell/form1.h"

#include "shell/accessibleroles.h"
#include "shell/widgetprompter.h"

#include <QCloseEvent>

namespace eb {

namespace {
std::unique_ptr<Prompter> RealPrompterUnless(Prompter* given, QWidget* owner) {
    if (given)
        return nullptr;
    return std::make_unique<WidgetPrompter>(owner);
}
}  // namespace

Form1::Form1(Prompter* prompter, QWidget* parent) : Form1(Form1Startup{}, prompter, parent) {}

Form1::Form1(const Form1Startup& startup, Prompter* prompter, QWidget* parent)
    : QWidget(parent),
      startup_(startup),
      ownPrompter_(RealPrompterUnless(prompter, this)),
      prompter_(prompter ? prompter : ownPrompter_.get()),
      reporter_(*prompter_) {
    InstallAccessibleRoles();
    buildControls();
    connectPointerHandlers();
    connectOptionFields();
    connectFolderAdders();
    connectListEditing();
    connectBatch();
    connectListMenu();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

}  // namespace eb
