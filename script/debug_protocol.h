// The debug channel's protocol: the front end's requests, one a line, and
// the runner's answers and events, one JSON object a line (docs/debugging.md).
#ifndef KESTRO_SCRIPT_DEBUG_PROTOCOL_H
#define KESTRO_SCRIPT_DEBUG_PROTOCOL_H

#include <string>
#include <vector>

#include "script/debug_session.h"

namespace script {

// The version the runner's "hello" names; a front end checks it.
const int kDebugProtocolVersion = 1;

// The port of "/debug:PORT" among the options before "/p"; 0 when there is
// none or it is not a port number.
int ParseDebugPort(const char* command_line);

// A request's fields: split at tabs, each field's escapes ("\\t", "\\n",
// "\\r", "\\\\") undone.
std::vector<std::string> SplitRequest(const std::string& line);

// The first message of a session: the protocol version and the script's encoding.
std::string HelloMessage(const Interp& in);

// Answers one request line (see docs/debugging.md) through the host's send.
// A request that cannot be read is answered with an error. Returns false for
// "quit": the host then ends the runner.
bool HandleRequest(Interp& in, DebugSession& d, const std::string& line);

}  // namespace script

#endif
