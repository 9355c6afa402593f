#pragma once

#include <QString>

namespace core {
class Config;
}

namespace provisioning {

// The accounts the provisioning procedure puts on every subscriber router: a
// support account with full rights beside the router's own admin account.
struct RouterAccounts {
    QString supportUser;
    QString supportPassword;
    QString adminPassword;
};

// Reads the accounts from [accounts]; a missing one is a core::ConfigError
// naming the key and the file.
RouterAccounts routerAccounts(const core::Config& config);

// The console commands that move a subscriber's wireless router onto its
// inner VLAN and name it "«indicator»-«vlan»". Lines end in CR LF because
// the operator pastes them into the router's console as they are.
QString routerScript(const QString& vlan, const QString& indicator, const RouterAccounts& accounts);

// What the operator is told when a user id holds no pair to change.
QString noInnerVlanHeldBy(const QString& userId);

// "NA" is what a free pair holds instead of a user id; given as a user id
// (in any case, with blanks after it, as the server compares) it would reach
// every free pair of the pool.
bool isFreePairMark(const QString& userId);

} // namespace provisioning
