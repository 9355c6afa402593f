#include "ui/dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {

namespace {

QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Parented to the active window so the box stays in front of the screen that
// asked, and is centred on it rather than on the desktop.
int run(QMessageBox::Icon icon, const QString& title, const QString& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
    // Texts come from the database and the operator: "<b>" is shown, not obeyed.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void MessageBoxDialogs::message(const QString& text, const QString& title, Icon icon) {
    run(boxIcon(icon), titleOr(title), text, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxDialogs::askYesNo(const QString& text, const QString& title) {
    const int answer = run(QMessageBox::Question, titleOr(title), text,
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes;
}

} // namespace ui
