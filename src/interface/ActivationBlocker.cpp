#include "interface/ActivationBlocker.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

namespace lumadesk {

namespace {

bool activates(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            switch (static_cast<const QKeyEvent&>(event).key()) {
                case Qt::Key_Space:
                case Qt::Key_Select:
                case Qt::Key_Return:
                case Qt::Key_Enter:
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

}  // namespace

ActivationBlocker::ActivationBlocker(QWidget& control) : QObject(&control), m_control(control) {
    control.installEventFilter(this);
}

void ActivationBlocker::setBlocking(bool blocking) {
    if (blocking == m_blocking) return;
    m_blocking = blocking;
    // A button held down when its action started must not stay drawn pressed.
    if (auto* button = qobject_cast<QAbstractButton*>(&m_control); blocking && button) button->setDown(false);
    m_control.update();
}

bool ActivationBlocker::eventFilter(QObject* watched, QEvent* event) {
    if (m_blocking && watched == &m_control && activates(*event)) {
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace lumadesk
