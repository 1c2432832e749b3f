#include "interface/Accessibility.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace lumadesk {

namespace {

// The dynamic property that carries a widget's exposure: the role it is read as, or hiddenRole.
constexpr const char* exposureProperty = "lumadesk.accessibility";
constexpr int hiddenRole = -1;

// A widget read as one element, without children.
class FoldedAccessibility : public QAccessibleWidget {
public:
    FoldedAccessibility(QWidget* widget, int role)
        : QAccessibleWidget(widget, role == hiddenRole ? QAccessible::Graphic : QAccessible::Role(role)),
          m_hidden(role == hiddenRole) {}

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (m_hidden) state.invisible = true;
        return state;
    }

private:
    bool m_hidden;
};

QAccessibleInterface* foldedAccessibility(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    const QVariant role = widget->property(exposureProperty);
    if (!role.isValid()) return nullptr;
    return new FoldedAccessibility(widget, role.toInt());  // owned by QAccessible's cache
}

void expose(QWidget& widget, int role) {
    static const bool factoryInstalled = (QAccessible::installFactory(foldedAccessibility), true);
    (void)factoryInstalled;
    widget.setProperty(exposureProperty, role);
    // Qt makes a widget's interface as soon as something about it changes (a name set in a
    // constructor) and keeps it; one made before this would keep its old role.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget);
        made && !dynamic_cast<FoldedAccessibility*>(made)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

}  // namespace

void Accessibility::hide(QWidget& widget) {
    expose(widget, hiddenRole);
}

void Accessibility::combine(QWidget& widget, QAccessible::Role role) {
    expose(widget, static_cast<int>(role));
}

}  // namespace lumadesk
