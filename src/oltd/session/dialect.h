#pragma once

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace oltd {

// A question the device may ask and the answer it gets.
struct Question {
    QRegularExpression pattern; // matched on the last, unterminated line
    QByteArray answer;          // sent as is ("\n" for a bare Enter)
};

// How one family of OLTs behaves on its command line: everything the
// session layer needs to log in, recognise a prompt and clean an answer.
// The session layer defines one per vendor (dialects.cpp).
struct Dialect {
    QString name; // "zte", "huawei"

    // Telnet login (SSH authenticates in the protocol). Anything before the
    // user prompt (banners) is skipped.
    QRegularExpression userPrompt;     // "Username:", ">>User name:"
    QRegularExpression passwordPrompt; // "Password:", ">>User password:"
    // The login failed: a text of the answer, or the user prompt again.
    QRegularExpression loginRefused;
    // Asked after the login, before the first prompt (YES/NO notices, a
    // password change offered): answered as given.
    QList<Question> loginQuestions;

    // Any mode's prompt, matched on the last, unterminated line.
    QRegularExpression prompt;
    // The prompt of the unprivileged mode: the session sends enableCommand
    // and, when asked (enablePasswordPrompt), the enable password.
    QRegularExpression userModePrompt;
    QString enableCommand;
    QRegularExpression enablePasswordPrompt;
    // Sent once after the login, in order ("terminal length 0", ...).
    QStringList setupCommands;

    // The pager's marker, and what makes the device go on.
    QRegularExpression pager;
    QByteArray pagerContinue;
    // Questions that are part of a command, not a decision (Huawei's
    // "{ <cr>|... }:" parameter prompt): always answered as given. Their
    // line and the device's "Command:" echo are left out of the answer.
    QList<Question> parameterQuestions;
    // A question before a change; answered with confirmYes or confirmNo
    // depending on the caller's Confirm. The text's groups "yes" and "no"
    // (when the pattern has them) give the device's own spelling ("Y", "yes").
    QRegularExpression confirmation;
    QByteArray confirmYes;
    QByteArray confirmNo;

    // Sent to leave politely, with its own confirmation answered yes.
    QString logoutCommand;
};

// ZTE ZXAN (C300/C320) and Huawei SmartAX (MA5600T/MA5608T/MA5800).
const Dialect& zteDialect();
const Dialect& huaweiDialect();

} // namespace oltd
