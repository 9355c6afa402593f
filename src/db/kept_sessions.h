#pragma once

#include "db/db_settings.h"

#include <QString>

namespace db {

// Server sessions an action has finished with, kept open for the next action
// of this workstation. A new PostgreSQL session costs the server a process
// and the client several round trips, more than most actions' own
// statements; a few idle sessions per workstation are what the server sees
// of it instead. Only the main thread's sessions are kept (a session belongs
// to the thread that opened it).
namespace kept_sessions {

// What a session is connected to: the server, database and role.
QString target(const DbSettings& settings, bool secondary);

// A kept session to the target, checked to be alive, taken out of the keep;
// empty when there is none. One the server has ended meanwhile (a restart,
// an idle timeout, an administrator) is dropped on the way.
QString take(const QString& target);

// Keeps the open session `name`: true when kept (the caller no longer owns
// the name), false when the caller must close it itself. The oldest kept
// session is closed when more would be kept than the workstation needs.
bool keep(const QString& name, const QString& target);

} // namespace kept_sessions

} // namespace db
