#pragma once

#include <QAccessible>

class QWidget;

namespace lumadesk {

// How widgets are exposed to assistive technology where Qt's defaults do not fit.
class Accessibility {
public:
    // A decorative widget, such as a symbol beside text that says the same: marked invisible, so that
    // screen readers pass it by.
    static void hide(QWidget& widget);
    // One element of the role named by the widget's accessible name, its children not exposed on
    // their own (a label drawn as a button, a strip of a symbol and a message).
    static void combine(QWidget& widget, QAccessible::Role role);
};

}  // namespace lumadesk
