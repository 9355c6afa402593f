#include "support/injection_sweep.h"

#include "support/widgets.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>

namespace support {

const QList<HostileValue>& hostileValues() {
    static const QList<HostileValue> values{
        {"quote", QStringLiteral("O'Neil")},
        {"two quotes", QStringLiteral("it''s")},
        {"statement", QStringLiteral("'; DROP TABLE cdata; --")},
        {"percent", QStringLiteral("100%")},
        {"underscore", QStringLiteral("a_b")},
        {"bracket", QStringLiteral("[x")},
        {"backslash", QStringLiteral("C:\\temp\\")},
        {"query joint", QStringLiteral("a&sendto=9999999999")},
        {"hash", QStringLiteral("no#1")},
        {"double quote", QStringLiteral("say \"hi\"")},
        {"markup", QStringLiteral("</BR><script>alert(1)</script>")},
        {"line feed", QStringLiteral("one\ntwo")},
        {"CR LF", QStringLiteral("one\r\ntwo")},
        {"5000 characters", QString(5000, QLatin1Char('w'))},
        {"non-Latin", QStringLiteral("ദേവി राम Ωμέγα")},
        {"emoji", QStringLiteral("ok \U0001F600 \U0001F4E1")},
        {"blanks around", QStringLiteral("  padded value  ")},
    };
    return values;
}

QStringList textInputs(QWidget* root) {
    QStringList names;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || !w->isEnabled())
            continue;
        bool writable = false;
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            // A combo box's own line edit is reached through the combo box.
            writable = !edit->isReadOnly() && !qobject_cast<QComboBox*>(edit->parentWidget());
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            writable = combo->isEditable();
        else if (auto* text = qobject_cast<QPlainTextEdit*>(w))
            writable = !text->isReadOnly();
        else if (auto* rich = qobject_cast<QTextEdit*>(w))
            writable = !rich->isReadOnly();
        if (writable)
            names << w->objectName();
    }
    names.sort();
    return names;
}

QString enterText(QWidget* root, const QString& name, const QString& text) {
    QWidget* w = findWidget(root, name);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setPlainText(text);
        return plain->toPlainText();
    }
    if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        rich->setPlainText(text);
        return rich->toPlainText();
    }
    type(root, name, text);
    return textOf(root, name);
}

QStringList masked(QStringList rows, QStringList texts) {
    texts.removeAll(QString());
    std::sort(texts.begin(), texts.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (QString& row : rows)
        for (const QString& t : texts)
            row.replace(t, QStringLiteral("\u00abvalue\u00bb"));
    return rows;
}

} // namespace support
