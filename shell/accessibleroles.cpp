#include "shell/accessibleroles.h"

#include <QAccessibleWidget>
#include <QWidget>

#include <array>
#include <utility>

namespace eb {

namespace {
QAccessibleInterface* AccessibleWithRole(const QString& className, QObject* object) {
    static const std::array<std::pair<const char*, QAccessible::Role>, 3> kRoles{{
        {"eb::Form1", QAccessible::Window},
        {"eb::PreviewWindow", QAccessible::Window},
        {"eb::WaveformView", QAccessible::Graphic},
    }};
    if (!object || !object->isWidgetType())
        return nullptr;
    for (const auto& [name, role] : kRoles)
        if (className == QLatin1String(name))
            return new QAccessibleWidget(static_cast<QWidget*>(object), role);
    return nullptr;
}
}  // namespace

void InstallAccessibleRoles() {
    static const bool kInstalled = [] {
        QAccessible::installFactory(AccessibleWithRole);
        return true;
    }();
    Q_UNUSED(kInstalled);
}

}  // namespace eb
