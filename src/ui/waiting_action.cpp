#include "ui/waiting_action.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QTimer>

namespace ui {

namespace {

const QString deferralName = QStringLiteral("zelCloseDeferral");

// Sits on a screen and holds its close back while actions wait.
class CloseDeferral final : public QObject {
public:
    explicit CloseDeferral(QWidget* screen)
        : QObject(screen)
        , m_screen(screen) {
        setObjectName(deferralName);
        screen->installEventFilter(this);
    }

    static CloseDeferral* of(const QWidget* screen) {
        return screen->findChild<CloseDeferral*>(deferralName, Qt::FindDirectChildrenOnly);
    }

    void actionStarted() { ++m_actions; }
    void actionEnded() {
        if (--m_actions > 0 || !m_closeWanted)
            return;
        m_closeWanted = false;
        // Later, so the action that ends here has left the screen first.
        QTimer::singleShot(0, m_screen, [screen = m_screen] {
            if (auto* frame = qobject_cast<QMdiSubWindow*>(screen->parentWidget()))
                frame->close();
            else
                screen->close();
        });
    }
    bool waiting() const { return m_actions > 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_screen && event->type() == QEvent::Close && m_actions > 0) {
            m_closeWanted = true;
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_screen;
    int m_actions = 0;
    bool m_closeWanted = false;
};

} // namespace

WaitingAction::WaitingAction(QWidget* screen)
    : m_screen(screen) {
    CloseDeferral* deferral = CloseDeferral::of(screen);
    if (!deferral)
        deferral = new CloseDeferral(screen);
    deferral->actionStarted();
}

WaitingAction::~WaitingAction() {
    if (m_screen)
        CloseDeferral::of(m_screen)->actionEnded();
}

bool isWaiting(const QWidget* screen) {
    const CloseDeferral* deferral = CloseDeferral::of(screen);
    return deferral && deferral->waiting();
}

} // namespace ui
