// Building the one request text of a command: the HTTP request line and
// headers, then a body in one of the server's two dialects. The text lives
// in the work area's requestBuffer and stays there until the next Begin, so
// a trace can print it.
//
// Order of use: properties may be pending from the parse; Begin; more
// PutProperty calls; Emit (writes and empties the pending list); End (closes
// the body and fixes up the Content-Length line).
//
// Nothing here fails: a request that would exceed 29999 characters prints
// why and ends the program through session::fatalStop().
#pragma once

#include "session/session.h"

namespace request {

inline constexpr int kRequestLimit = session::kRequestCapacity - 1;

void AppendRequestText(session::CommandContext& context, const char* text);
void AppendRequestLine(session::CommandContext& context, const char* text);

// Version 1: a SOAP envelope posted to /ResEltMrtFusion/Tallow. Begin also
// puts Type, UserName and UserPassword. The operation's name (of either
// version) is kept until End writes it again: a name that lives as long.
void BeginV1Request(session::CommandContext& context, const char* operation,
                    const char* elementType);
void EmitV1Properties(session::CommandContext& context);
void EndV1Request(session::CommandContext& context);

// Version 3.2: an Envelope with Header and Body posted to
// /ResEltMrtFusion/XMLIntr; the credentials are written by Begin.
void BeginV32Request(session::CommandContext& context, const char* operation);
void EmitV32Properties(session::CommandContext& context);
void EndV32Request(session::CommandContext& context);

}  // namespace request
