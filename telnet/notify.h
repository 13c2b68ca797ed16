// Window notification: a small watcher thread per session polls the socket
// and posts its events to the session's window. The watcher never touches
// the session; the session re-arms it after each receive and after a send
// that would block, as the platform's asynchronous select does.
#ifndef KESTREL_TELNET_NOTIFY_H
#define KESTREL_TELNET_NOTIFY_H

#include <memory>

#include "session.h"

namespace kstelnet {

// Starts posting the events of `mask` (TELNET_EVENT_ bits) for `socket` to
// `window` as `message`; null when the watcher cannot start.
std::shared_ptr<Watch> startWatch(int socket, HWND window, UINT message, int mask);
// Stops the watcher and waits for its thread.
void stopWatch(const std::shared_ptr<Watch>& watch);
// After a receive: post the next read (or close) event when one comes.
void rearmRead(const std::shared_ptr<Watch>& watch);
// After a send that would block: post a write event when there is room.
void rearmWrite(const std::shared_ptr<Watch>& watch);
// Posts an event now (from the session's own thread).
void postEvent(const Session& session, int event, int error);

}  // namespace kstelnet

#endif
